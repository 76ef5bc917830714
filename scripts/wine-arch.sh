#!/bin/sh
# Which Wine the Win32 tests, `make run`, `make bench` and `make soak` use on this machine;
# prints win32 or win64.
#   win32  the shipped 32-bit program, in 32-bit Wine prefixes: where the machine runs 32-bit
#          code.
#   win64  the same sources built for x86-64, in 64-bit prefixes: where it does not (a kernel
#          without IA-32 emulation), and whenever WINE_ARCH=win64 asks for it.
# WINE_ARCH=win32 or WINE_ARCH=win64 forces the choice; forcing win32 where 32-bit code cannot
# run stops with one line and a non-zero code.
set -u

# Found by trying, not by names or kernel versions: Wine's 32-bit loader is itself an i386
# program, and on a kernel that runs 64-bit code only it fails at once ("Exec format error").
runs_32bit_code() {
    case $(/usr/lib/wine/wine --version 2>/dev/null) in
    wine-*) return 0 ;;
    *) return 1 ;;
    esac
}

case ${WINE_ARCH:-} in
'')
    if runs_32bit_code; then echo win32; else echo win64; fi
    ;;
win32)
    if ! runs_32bit_code; then
        echo "WINE_ARCH=win32: this machine cannot run 32-bit code (Wine's 32-bit loader does not start); leave WINE_ARCH unset or use WINE_ARCH=win64" >&2
        exit 1
    fi
    echo win32
    ;;
win64)
    echo win64
    ;;
*)
    echo "WINE_ARCH must be win32 or win64, not \"$WINE_ARCH\"" >&2
    exit 2
    ;;
esac
