#!/usr/bin/env bash
# Builds the native tree (with AddressSanitizer and UBSan) and the 32-bit Windows tree, then
# runs every test: natively, and under Wine in a fresh prefix.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
pecun_ensure_deps

jobs=$(nproc)
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPECUN_SANITIZE=ON
cmake --build build/native -j "$jobs"
cmake -S . -B build/cross -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake
cmake --build build/cross -j "$jobs"

# The end-to-end tests need a display: without one, a private Xvfb serves.
xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
fi
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT

status=0
echo "== native tests"
(cd build/native && ctest --output-on-failure -j "$jobs") || status=1

echo "== Windows tests under Wine"
export WINEPREFIX="$PWD/build/cross/wineprefix"
tests/wine/wine-session fresh
(cd build/cross && ctest --output-on-failure -j "$jobs") || status=1
tests/wine/wine-session stop

exit $status
