#!/bin/sh
# `make run`. With an X display: runs vorkalun.exe there under Wine until the user exits it
# (tray menu "Выход" or Ctrl+Alt+F12). Without one: starts a private virtual display, runs the
# program beside sample windows with standard buttons, saves a screenshot once the logo has
# gone, prints its path and stops everything it started.
set -u
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
# The 32-bit program where this machine runs 32-bit code, else its 64-bit build.
arch=$("$here/wine-arch.sh") || exit 1
bin=$build/$arch/bin
. "$here/wine-env.sh"
use_wine "$arch"
case $arch in
win32) echo "run: vorkalun.exe, the 32-bit program ($bin)" ;;
win64) echo "run: vorkalun.exe built for x86-64 ($bin): this machine does not run the 32-bit program" ;;
esac

if [ -n "${DISPLAY:-}" ]; then
    export WINEPREFIX=$build/$arch/run-prefix
    exec "$WINE" "$bin/vorkalun.exe"
fi

session=$build/$arch/run-session
shots=$build/screenshots
mkdir -p "$shots"
trap '"$here/wine-session.sh" stop "$session"' EXIT
trap 'exit 130' INT TERM
"$here/wine-session.sh" start "$session" "$arch" ru || exit 1
export DISPLAY=$(cat "$session/display") WINEPREFIX=$session/prefix-ru LANG=ru_RU.UTF-8

wait_for_window() {
    i=0
    while ! xwininfo -root -tree 2>/dev/null | grep -q "\"$1\""; do
        i=$((i + 1))
        [ $i -lt 100 ] || { echo "run: no window \"$1\" appeared" >&2; return 1; }
        sleep 0.1
    done
}

# A fresh start: the logo for two seconds, the tray icon, and sweeps ten times a second.
"$WINE" "$bin/vorkalun.exe" >/dev/null 2>&1 &
wait_for_window "Фильтруй базар !!!" || exit 1
sleep 0.5
import -window root "$shots/run-logo.png"

"$WINE" "$bin/wine_helper.exe" msgbox "Sample message box" >/dev/null 2>&1 &
"$WINE" "$bin/wine_helper.exe" buttons "Sample buttons" OK Cancel "&Help" Отмена Повтор Справка \
    "< Назад" "Далее >" Apply >/dev/null 2>&1 &
wait_for_window "Sample message box" && wait_for_window "Sample buttons" || exit 1
sleep 3

shot=$shots/run.png
import -window root "$shot"
echo "run: the logo at start-up: $shots/run-logo.png"
echo "run: vorkalun.exe at work on two sample windows, its logo gone and its tray icon up: $shot"
