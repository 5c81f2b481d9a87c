#!/usr/bin/env bash
# Builds pecun.exe for 64-bit Windows and starts it under wine64, in a prefix of its own
# (build/run-prefix), with real rates to fetch: pecun-feed turns a sample of the central
# bank's euro reference rates (feed/testdata/) into an update list, nginx serves it on
# 127.0.0.1, and the prefix's "UpdateUrl" points the converter there. nginx stops when the
# converter ends.
#   On a display: runs until you close it; a first run asks whether to download the rates.
#   Without one (DISPLAY unset): a private Xvfb, an empty store (so a first run), Yes to the
#   download, then 100 EUR converted into USD, printed, and a screenshot under build/ with the
#   tip of the yen's button.
#   PECUN_BUILD_DIR  the 64-bit Windows build tree to use (default build/x64)
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
pecun_ensure_deps

build=${PECUN_BUILD_DIR:-build/x64}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake >/dev/null
cmake --build "$build" -j "$(nproc)" --target pecun pecun-drive
cmake -S . -B build/feed -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/feed -j "$(nproc)" --target pecun-feed

export WINEPREFIX="$PWD/build/run-prefix"
source tools/wine/wine-env.sh
wine() { "$WINELOADER" "$@"; }
pecun="$build/bin/pecun.exe"
drive="$build/bin/pecun-drive.exe"

# The rates list, served.
state="$PWD/build/run-feed"
mkdir -p "$state"
build/feed/bin/pecun-feed -o "$state/list.txt" feed/testdata/eurofxref-daily-2019-04-11.xml
xvfb_pid=
pecun_pid=
cleanup() {
    [ -n "$pecun_pid" ] && kill "$pecun_pid" 2>/dev/null
    tools/wine/wine-session stop || true
    feed/serve.sh stop "$state/nginx" >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
feed/serve.sh stop "$state/nginx" >/dev/null 2>&1 || true
url=$(feed/serve.sh start "$state/nginx" "$state/list.txt")
echo "Rates served at $url"

settings='HKCU\Software\Pecun\Settings'
if [ -n "${DISPLAY:-}" ]; then
    tools/wine/wine-session start
    wine reg add "$settings" /v UpdateUrl /d "$url" /f >/dev/null 2>&1
    status=0
    wine "$pecun" || status=$?
    exit $status
fi

# No display: a private Xvfb, a first run that downloads the rates, a sample conversion.
n=70
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$n"
deadline=$((SECONDS + 10))
until [ -e "/tmp/.X11-unix/X$n" ]; do
    [ $SECONDS -lt $deadline ] || { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done

tools/wine/wine-session start
wine reg delete 'HKCU\Software\Pecun' /f >/dev/null 2>&1 || true
wine reg add "$settings" /v UpdateUrl /d "$url" /f >/dev/null 2>&1
wine "$pecun" >/dev/null 2>&1 &
pecun_pid=$!
wine "$drive" yes \
    'update:Update successful!\nNew rates from ECB euro reference rates of 2019-04-11' \
    closeupdate main amount:100 click:EUR expect:lblCur=EUR click:USD expect:lblCur=USD
amount=$(wine "$drive" print:lblVal | tr -d '\r')
# The tip of the yen's button, under the mouse, goes into the screenshot.
tip=$(wine "$drive" hover:JPY | tr -d '\r')
place=$(wine "$drive" rect | tr -d '\r')
shot="$PWD/build/run-screenshot.png"
import -window root -crop "$place" +repage "$shot"
# The display shows the amount with its decimal separator even when whole ("112.64", "5.").
echo "100 EUR = ${amount%.} USD"
echo "The yen button's tip:"
echo "$tip"
echo "Screenshot of the main window with that tip: $shot"
wine "$drive" close
wait "$pecun_pid" || true
pecun_pid=
