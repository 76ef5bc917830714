#!/bin/sh
# The program is reproducible: a copy of the sources, built again in another folder at another
# time, gives the same bytes as the builds at hand, 32-bit and 64-bit; and the README's SHA-256
# is the 32-bit build's, the one that ships.
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

# The README's line is what `sha256sum --tag vorkalun.exe` prints.
actual=$(cd "$build/win32/bin" && sha256sum --tag vorkalun.exe)
if ! grep -qxF "$actual" "$source_dir/README.md"; then
    echo "the README does not give the 32-bit build's SHA-256; it should read:" >&2
    echo "$actual" >&2
    exit 1
fi
echo "$actual, as the README says"
rm -rf "$work"
