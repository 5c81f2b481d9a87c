#!/usr/bin/env bash
# Runs the benchmarks and prints their figures:
#   - natively, applying and saving large update lists (a Release tree, build/bench);
#   - under wine64, pecun.exe /update of a 32,746-currency list from nginx on 127.0.0.1
#     against the raw registry writes, and the start with that full table against the raw
#     reads; with a table of 160 currencies, the start against a bare window's of the same
#     size, the options dialog's opening with its list filled, and a history's opening to its
#     painted chart, fetched from nginx and kept in memory (the 64-bit tree, build/x64, in a
#     prefix of its own).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
pecun_ensure_deps

quietly() {  # runs a build step, showing its output only when it fails
    local log
    log=$(mktemp)
    "$@" >"$log" 2>&1 || { cat "$log"; rm -f "$log"; return 1; }
    rm -f "$log"
}

quietly cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release
quietly cmake --build build/bench -j "$(nproc)" --target pecun-bench-update
echo "== natively, on the headless peer with the in-memory store"
build/bench/bin/pecun-bench-update

quietly cmake -S . -B build/x64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake
quietly cmake --build build/x64 -j "$(nproc)" --target pecun pecun-bench-wine pecun-bench-bare

state="$PWD/build/bench-state"
rm -rf "$state"
mkdir -p "$state"
# 32,746 new currencies: three-character codes over digits and capitals, none of them a code
# of the default table.
python3 - "$state/list.txt" <<'PY'
import itertools, re, sys
defaults = set(re.findall(r'PECUN_CURRENCY\(\d+, "(\w+)"', open("converter/resources/defaults.inc").read()))
alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"
codes = ("".join(c) for c in itertools.product(alphabet, repeat=3))
codes = [c for c in codes if c not in defaults][:32746]
with open(sys.argv[1], "w") as f:
    f.write("Benchmark list\n")
    for i, code in enumerate(codes):
        f.write(f"{code}\t{10000 + i}\tCurrency {i}\n")
PY

export WINEPREFIX="$PWD/build/bench-prefix"
source tools/wine/wine-env.sh
xvfb_pid=
cleanup() {
    feed/serve.sh stop "$state/nginx" >/dev/null 2>&1 || true
    tools/wine/wine-session stop || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    n=80
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
fi
url=$(feed/serve.sh start "$state/nginx" "$state/list.txt")
# The history's rates: the ECB's 90-day file beside the list.
install -m 644 feed/testdata/eurofxref-hist-90d-2019-04-11.xml \
    "$state/nginx/www/pecunup/eurofxref-hist-90d.xml"
tools/wine/wine-session start
echo "== under wine64, against nginx on 127.0.0.1"
"$WINELOADER" build/x64/bin/pecun-bench-wine.exe build/x64/bin/pecun.exe "$url" \
    build/x64/bin/pecun-bench-bare.exe | tr -d '\r'
