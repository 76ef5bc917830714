#!/bin/sh
# `make soak`: runs vorkalun.exe for MINUTES (default 10) under a steady mix of faults, on a
# virtual display and a Wine session of its own, and prints what it saw. Everything it started
# is stopped on the way out, also after a failure or an interrupt.
#   soak.sh BUILD [MINUTES]
set -u
build=$(cd "$1" && pwd)
minutes=${2:-10}
here=$(cd "$(dirname "$0")" && pwd)
session=$build/soak-session

trap '"$here/wine-session.sh" stop "$session"' EXIT
trap 'exit 130' INT TERM
"$here/wine-session.sh" start "$session" ru || exit 1

export WINEPREFIX=$session/prefix-ru LANG=ru_RU.UTF-8 DISPLAY="$(cat "$session/display")"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
echo "soak: $minutes minutes on the virtual display $DISPLAY"
wine "$build/win32/bin/soak.exe" "$minutes"
