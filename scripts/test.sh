#!/bin/sh
# Runs the native and the Win32 test trees through one ctest, so one summary ends the run.
# The Wine session is stopped on the way out, also after a failure or an interrupt.
set -u
build=$1
shift
printf 'subdirs("native")\nsubdirs("win32")\n' >"$build/CTestTestfile.cmake"

stop_session() { "$(dirname "$0")/wine-session.sh" stop "$build/win32/wine-session"; }
trap 'stop_session' EXIT
trap 'exit 130' INT TERM

ctest --test-dir "$build" --output-on-failure --parallel 2 "$@"
