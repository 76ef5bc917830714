# Sourced; defines use_wine ARCH (win32 or win64), which sets WINE to the loader to run Windows
# programs with and exports what Wine needs for prefixes of that architecture.
# Debian's `wine` wrapper always picks the 32-bit loader when it is installed, so a 64-bit
# prefix is run by the 64-bit loader directly; WINELOADER tells Wine which loader starts the
# processes a program creates.
use_wine() {
    case $1 in
    win32)
        WINE=wine
        export WINEARCH=win32
        unset WINELOADER
        ;;
    win64)
        WINE=/usr/lib/wine/wine64
        export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
        ;;
    *)
        echo "unknown Wine architecture \"$1\"" >&2
        exit 2
        ;;
    esac
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}
