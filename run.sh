#!/usr/bin/env bash
# Builds pecun.exe for 64-bit Windows and starts it under wine64, in a prefix of its own
# (build/run-prefix). On a display it runs until you close it. Without one (DISPLAY unset)
# it runs under a private Xvfb, types a sample amount, converts it, and leaves a screenshot
# of the main window under build/, whose path it prints.
#   PECUN_BUILD_DIR  the 64-bit Windows build tree to use (default build/x64)
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
pecun_ensure_deps

build=${PECUN_BUILD_DIR:-build/x64}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake >/dev/null
cmake --build "$build" -j "$(nproc)" --target pecun pecun-drive

export WINEPREFIX="$PWD/build/run-prefix"
source tests/wine/wine-env.sh
wine() { "$WINELOADER" "$@"; }
pecun="$build/bin/pecun.exe"
drive="$build/bin/pecun-drive.exe"

if [ -n "${DISPLAY:-}" ]; then
    tests/wine/wine-session start
    status=0
    wine "$pecun" || status=$?
    tests/wine/wine-session stop
    exit $status
fi

# No display: a private Xvfb, and a sample conversion.
n=70
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
pecun_pid=
cleanup() {
    [ -n "$pecun_pid" ] && kill "$pecun_pid" 2>/dev/null
    tests/wine/wine-session stop || true
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$n"
deadline=$((SECONDS + 10))
until [ -e "/tmp/.X11-unix/X$n" ]; do
    [ $SECONDS -lt $deadline ] || { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done

tests/wine/wine-session start
wine "$pecun" >/dev/null 2>&1 &
pecun_pid=$!
# Amount 100 in euros, converted into Belgian francs.
wine "$drive" start amount:100 click:EUR expect:102=EUR click:BEF expect:102=BEF
amount=$(wine "$drive" print:101 | tr -d '\r')
place=$(wine "$drive" rect | tr -d '\r')
shot="$PWD/build/run-screenshot.png"
import -window root -crop "$place" +repage "$shot"
echo "100 EUR = $amount BEF"
echo "Screenshot of the main window: $shot"
wine "$drive" close
wait "$pecun_pid" || true
pecun_pid=
