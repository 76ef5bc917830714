#!/bin/sh
# Starts and stops the Wine session the tests run in: one virtual X display and two Wine
# prefixes with a resident wineserver each, "ru" (ANSI code page 1251) and "en" (1252); and a
# third, "hidpi" (1251), whose screen DPI the tests of a high-DPI screen set.
#   wine-session.sh start DIR ARCH [PREFIX...]   creates what is missing under DIR and starts
#                                                the servers of the prefixes named (default:
#                                                ru en); ARCH is win32 or win64 (wine-arch.sh)
#   wine-session.sh dpi DIR ARCH DPI COMMAND...  sets the "hidpi" prefix's screen to DPI dots
#                                                per inch, gives it a new wineserver, which is
#                                                when Wine takes the value, and runs COMMAND
#                                                with VORKALUN_DPI=DPI, which wine-run.sh takes
#                                                to mean that prefix
#   wine-session.sh stop DIR                     stops what `start` and `dpi` started; harmless
#                                                when idle
set -u
action=$1
dir=$(mkdir -p "$2" && cd "$2" && pwd)
shift 2
if [ "$action" = start ] || [ "$action" = dpi ]; then
    arch=$1
    shift
    . "$(dirname "$0")/wine-env.sh"
    use_wine "$arch"
    # A prefix is made for one architecture; one left from the other would not start.
    if [ -f "$dir/arch" ] && [ "$(cat "$dir/arch")" != "$arch" ]; then
        echo "wine-session.sh: $dir holds $(cat "$dir/arch") prefixes, not $arch" >&2
        exit 1
    fi
    echo "$arch" >"$dir/arch"
fi
prefixes=${*:-ru en}

prefix_lang() {
    case $1 in ru | hidpi) echo ru_RU.UTF-8 ;; en) echo C.UTF-8 ;; esac
}

start_display() {
    if [ -f "$dir/xvfb.pid" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; then return; fi
    rm -f "$dir/display"
    exec 3>"$dir/display.fd"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    exec 3>&-
    i=0
    while [ ! -s "$dir/display.fd" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    [ -s "$dir/display.fd" ] || { echo "Xvfb did not start" >&2; exit 1; }
    echo ":$(head -n1 "$dir/display.fd")" >"$dir/display"
    # Xvfb's default keymap keeps Ctrl+Alt+F1..F12 for itself; the program's hotkeys need them.
    DISPLAY=$(cat "$dir/display") setxkbmap -option srvrkeys:none 2>/dev/null || true
}

start_prefix() {
    prefix=$dir/prefix-$1
    export WINEPREFIX=$prefix LANG=$(prefix_lang "$1") DISPLAY=$(cat "$dir/display")
    if [ ! -f "$prefix/.ready" ]; then
        "$WINE" wineboot -i >/dev/null 2>&1
        # Without a window manager Wine waits on every hidden managed window; unmanaged
        # windows close at once.
        "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wineserver -w
        touch "$prefix/.ready"
    fi
    wineserver -p >/dev/null 2>&1
    # The first program of a session starts Wine's own services and desktop, which live on
    # and would hold the output of whichever test happened to start them.
    "$WINE" cmd /c exit >/dev/null 2>&1
}

stop_prefix() {
    [ -d "$dir/prefix-$1" ] && WINEPREFIX=$dir/prefix-$1 wineserver -k 2>/dev/null
    return 0
}

# The "hidpi" prefix's logical DPI: the value Windows keeps as LogPixels under
# HKEY_CURRENT_USER\Control Panel\Desktop.
set_dpi() {
    start_display
    [ -f "$dir/prefix-hidpi/.ready" ] || start_prefix hidpi
    export WINEPREFIX=$dir/prefix-hidpi LANG=$(prefix_lang hidpi) DISPLAY=$(cat "$dir/display")
    wineserver -k 2>/dev/null
    wineserver -w
    # Written through a server that then ends on its own, saving the registry as it goes.
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
        >/dev/null 2>&1
    wineserver -w
    start_prefix hidpi
}

case $action in
start)
    start_display
    for p in $prefixes; do start_prefix "$p"; done
    ;;
dpi)
    dpi=$1
    shift
    set_dpi "$dpi"
    VORKALUN_DPI=$dpi exec "$@"
    ;;
stop)
    stop_prefix ru
    stop_prefix en
    stop_prefix hidpi
    if [ -f "$dir/xvfb.pid" ]; then
        kill "$(cat "$dir/xvfb.pid")" 2>/dev/null
        rm -f "$dir/xvfb.pid"
    fi
    ;;
*)
    echo "usage: $0 start DIR ARCH [PREFIX...] | dpi DIR ARCH DPI COMMAND... | stop DIR" >&2
    exit 2
    ;;
esac
