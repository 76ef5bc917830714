#!/bin/sh
# Installs what building and testing need on Debian 12: the MinGW cross compilers for 32-bit
# and 64-bit Windows, Wine (both halves), a virtual X display and its tools, and the Russian
# locale that gives Wine the 1251 code page. Does nothing when everything is already there.
# On a machine that cannot run 32-bit code the i386 packages still install, though their
# scripts cannot run what they bring: the tests then use 64-bit Wine (see wine-arch.sh).
set -eu

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo

PACKAGES="cmake make g++ googletest libgtest-dev g++-mingw-w64-i686 binutils-mingw-w64-i686
mingw-w64-i686-dev g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev wine
wine32:i386 wine64 xvfb xdotool x11-utils x11-xkb-utils locales imagemagick xauth python3"

missing=
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done

if [ -n "$missing" ]; then
    echo "setup: installing$missing"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi

# Without the Russian locale Wine falls back to code page 1252.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
    echo "setup: generating ru_RU.UTF-8"
    $SUDO sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
