#!/bin/sh
# `make soak`: runs vorkalun.exe for MINUTES (default 10) under a steady mix of faults, on a
# virtual display and a Wine session of its own, and prints what it saw. Everything it started
# is stopped on the way out, also after a failure or an interrupt.
#   soak.sh BUILD [MINUTES]
set -u
build=$(cd "$1" && pwd)
minutes=${2:-10}
here=$(cd "$(dirname "$0")" && pwd)
arch=$("$here/wine-arch.sh") || exit 1
session=$build/$arch/soak-session

trap '"$here/wine-session.sh" stop "$session"' EXIT
trap 'exit 130' INT TERM
"$here/wine-session.sh" start "$session" "$arch" ru || exit 1

. "$here/wine-env.sh"
use_wine "$arch"
export WINEPREFIX=$session/prefix-ru LANG=ru_RU.UTF-8 DISPLAY="$(cat "$session/display")"
case $arch in
win32) build_name="the 32-bit program" ;;
win64) build_name="the program built for x86-64 (this machine does not run the 32-bit one)" ;;
esac
echo "soak: $minutes minutes of $build_name on the virtual display $DISPLAY"
"$WINE" "$build/$arch/bin/soak.exe" "$minutes"
