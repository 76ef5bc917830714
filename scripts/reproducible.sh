#!/bin/sh
# The shipped program is reproducible: a copy of the sources, built again in another folder
# at another time, gives the same bytes as the build at hand, and the README's SHA-256 is
# that build's.
#   reproducible.sh SOURCE_DIR PROGRAM WORK_DIR
set -eu
source_dir=$1
program=$2
work=$3

[ -f "$program" ] || { echo "no $program: build the 32-bit program first" >&2; exit 1; }
rm -rf "$work"
copy=$work/elsewhere/vorkalun-sources
mkdir -p "$copy"
(cd "$source_dir" && tar -cf - CMakeLists.txt cmake caption settings shell dialog resources \
    tests bench scripts) | tar -C "$copy" -xf -

cmake -S "$copy" -B "$work/build" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$copy/cmake/mingw-win32.cmake" >/dev/null
cmake --build "$work/build" --target vorkalun >/dev/null
again=$work/build/bin/vorkalun.exe
if ! cmp "$program" "$again"; then
    echo "two builds of the same sources differ: $program and $again" >&2
    exit 1
fi
echo "built again in $copy: the same $(wc -c <"$again") bytes"

# The README's line is what `sha256sum --tag vorkalun.exe` prints.
actual=$(cd "$(dirname "$program")" && sha256sum --tag vorkalun.exe)
if ! grep -qxF "$actual" "$source_dir/README.md"; then
    echo "the README does not give this build's SHA-256; it should read:" >&2
    echo "$actual" >&2
    exit 1
fi
echo "$actual, as the README says"
rm -rf "$work"
