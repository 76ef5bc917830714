#!/bin/sh
# Runs the native tests and the Win32 tests of one architecture through one ctest, so one
# summary ends the run: the 32-bit build where this machine runs 32-bit code, the 64-bit build
# where it does not (scripts/wine-arch.sh; WINE_ARCH=win32|win64 forces the choice). The Wine
# session is stopped on the way out, also after a failure or an interrupt.
set -u
build=$1
shift
here=$(dirname "$0")
arch=$("$here/wine-arch.sh") || exit 1
printf 'subdirs("native")\nsubdirs("%s")\n' "$arch" >"$build/CTestTestfile.cmake"

stop_session() { "$here/wine-session.sh" stop "$build/$arch/wine-session"; }
trap 'stop_session' EXIT
trap 'exit 130' INT TERM

case ${WINE_ARCH:-}:$arch in
:win32) why="this machine runs 32-bit code" ;;
:win64) why="this machine cannot run 32-bit code" ;;
*) why="as WINE_ARCH=$WINE_ARCH asked" ;;
esac
case $arch in
win32) note="Win32 tests: the 32-bit program (build/win32) in 32-bit Wine prefixes; $why." ;;
win64) note="Win32 tests: the 64-bit build (build/win64) in 64-bit Wine prefixes, $why; the shipped 32-bit file checked as a file." ;;
esac

# The note goes right above ctest's summary, where the counts are read.
status=$build/ctest-status
rm -f "$status"
{
    ctest --test-dir "$build" --output-on-failure --parallel 2 "$@"
    echo $? >"$status"
} | awk -v note="$note" '
    /^[0-9]+% tests passed/ && !shown { print note; print ""; shown = 1 }
    { print; fflush() }
    END { if (!shown) print note }'
exit "$(cat "$status" 2>/dev/null || echo 1)"
