#!/bin/sh
# `make run`. With an X display: runs vorkalun.exe there under Wine. Without one: starts a
# private virtual display, lets the program work on a sample message box, saves a screenshot,
# prints its path and stops everything it started.
set -u
build=$(cd "$1" && pwd)
bin=$build/win32/bin
here=$(cd "$(dirname "$0")" && pwd)

export WINEDEBUG=-all WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml="

if [ -n "${DISPLAY:-}" ]; then
    export WINEPREFIX=$build/run-prefix
    exec wine "$bin/vorkalun.exe"
fi

session=$build/run-session
shots=$build/screenshots
mkdir -p "$shots"
trap '"$here/wine-session.sh" stop "$session"' EXIT
trap 'exit 130' INT TERM
"$here/wine-session.sh" start "$session" ru || exit 1
export DISPLAY=$(cat "$session/display") WINEPREFIX=$session/prefix-ru LANG=ru_RU.UTF-8

wait_for_window() {
    i=0
    while ! xwininfo -root -tree 2>/dev/null | grep -q "\"$1\""; do
        i=$((i + 1))
        [ $i -lt 100 ] || { echo "run: no window \"$1\" appeared" >&2; return 1; }
        sleep 0.1
    done
}

title="Sample message box"
wine "$bin/wine_helper.exe" msgbox "$title" >/dev/null 2>&1 &
wait_for_window "$title" || exit 1
sleep 0.5

# The program's sweep over every window of the session; the box's buttons get their new labels.
wine "$bin/vorkalun.exe"
sleep 0.5

shot=$shots/run.png
import -window root "$shot"
echo "run: the sample message box after one sweep: $shot"
