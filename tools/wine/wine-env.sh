# Sourced by the Wine scripts: picks the Wine loader and server by their own paths, so that
# a 64-bit session never goes through /usr/bin/wine (which prefers the 32-bit loader whenever
# wine32 is installed, and that loader cannot start on machines without 32-bit support).
#   PECUN_WINE_ARCH  win64 (default) or win32
# Afterwards: WINELOADER and WINESERVER are exported; run programs as "$WINELOADER" prog.
case "${PECUN_WINE_ARCH:-win64}" in
    win64)
        export WINELOADER=/usr/lib/wine/wine64
        export WINESERVER=/usr/lib/wine/wineserver64
        export WINEARCH=win64
        ;;
    win32)
        export WINELOADER=/usr/lib/wine/wine
        export WINESERVER=/usr/lib/wine/wineserver32
        export WINEARCH=win32
        ;;
    *)
        echo "PECUN_WINE_ARCH must be win64 or win32" >&2
        return 2
        ;;
esac
export WINEDEBUG=-all
