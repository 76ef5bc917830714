#!/bin/sh
# The program is reproducible: a copy of the sources, built again in another folder at another
# time, gives the same bytes as the builds at hand, 32-bit and 64-bit; and the README's SHA-256
# is the 32-bit build's, the one that ships; so is the download made of it, made twice, whose
# SHA-256 the README gives too.
#   reproducible.sh SOURCE_DIR BUILD_DIR WORK_DIR     (BUILD_DIR holds win32/ and win64/)
set -eu
source_dir=$1
build=$2
work=$3

rm -rf "$work"
copy=$work/elsewhere/vorkalun-sources
mkdir -p "$copy"
(cd "$source_dir" && tar -cf - CMakeLists.txt cmake caption settings shell dialog resources \
    tests bench scripts) | tar -C "$copy" -xf -

for arch in win32 win64; do
    program=$build/$arch/bin/vorkalun.exe
    [ -f "$program" ] || { echo "no $program: build the program first" >&2; exit 1; }
    cmake -S "$copy" -B "$work/$arch" -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$copy/cmake/mingw-$arch.cmake" >/dev/null
    cmake --build "$work/$arch" --target vorkalun >/dev/null
    again=$work/$arch/bin/vorkalun.exe
    if ! cmp "$program" "$again"; then
        echo "two builds of the same sources differ: $program and $again" >&2
        exit 1
    fi
    echo "$arch: built again in $copy, the same $(wc -c <"$again") bytes"
done

# The README's lines are what `sha256sum --tag` prints; both are checked, and each one that
# is not there is printed as it should read.
stale=0
check_line() {
    if grep -qxF "$2" "$source_dir/README.md"; then
        echo "$2, as the README says"
    else
        echo "the README does not give $1's SHA-256; it should read:" >&2
        echo "$2" >&2
        stale=1
    fi
}
check_line "the 32-bit build" "$(cd "$build/win32/bin" && sha256sum --tag vorkalun.exe)"

# The download, made twice from the program at hand, and its line in the README.
zip=vorkalun-1.60.zip
for run in 1 2; do
    python3 "$source_dir/scripts/dist.py" "$source_dir" "$build/win32/bin/vorkalun.exe" \
        "$work/dist$run/$zip" >/dev/null
done
if ! cmp "$work/dist1/$zip" "$work/dist2/$zip"; then
    echo "two makings of the download differ: $work/dist1/$zip and $work/dist2/$zip" >&2
    exit 1
fi
echo "$zip: made twice, the same $(wc -c <"$work/dist1/$zip") bytes"
check_line "the download" "$(cd "$work/dist1" && sha256sum --tag "$zip")"
[ "$stale" -eq 0 ] || exit 1
rm -rf "$work"
