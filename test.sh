#!/usr/bin/env bash
# Builds every tree and runs every test:
#   build/native  the core, the forms on the headless peer, their tests (ASan and UBSan)
#   build/x86     the headless suites as a static 32-bit program, run under qemu-i386-static
#   build/x64     the programs and every Windows test for 64-bit Windows, run under wine64
#   build/i686    the 32-bit programs we ship and the same Windows tests, run where the
#                 machine can run 32-bit Windows programs
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
pecun_ensure_deps

jobs=$(nproc)
configure() {  # tree, then cmake options
    local tree=$1
    shift
    cmake -S . -B "build/$tree" -G Ninja "$@" >/dev/null
    cmake --build "build/$tree" -j "$jobs"
}
if pecun_can_run_win32; then win32_tests=ON; else win32_tests=OFF; fi

configure native -DCMAKE_BUILD_TYPE=Debug -DPECUN_SANITIZE=ON
configure x86 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/i686-linux-gnu.cmake
configure x64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake
configure i686 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake \
          -DPECUN_WINDOWS_TESTS=$win32_tests

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
echo "== fuzz smoke runs"; tests/fuzz/smoke.sh || status=1

echo "== the headless suites as a 32-bit x86 program, under qemu-i386-static"
(cd build/x86 && ctest --output-on-failure -j "$jobs") || status=1

windows_tests() {  # tree, Wine architecture
    local tree=$1
    export WINEPREFIX="$PWD/build/$tree/wineprefix" PECUN_WINE_ARCH=$2
    tools/wine/wine-session fresh
    (cd "build/$tree" && ctest --output-on-failure -j "$jobs") || status=1
    tools/wine/wine-session stop
}
echo "== 64-bit Windows tests under wine64"
windows_tests x64 win64

echo "== 32-bit Windows programs"
if [ $win32_tests = ON ]; then
    windows_tests i686 win32
else
    echo "The 32-bit Windows suites were built in build/i686 but not run: this machine" \
         "cannot run 32-bit x86 code (no wine32, or its loader does not start)."
    (cd build/i686 && ctest --output-on-failure) || status=1
fi

exit $status
