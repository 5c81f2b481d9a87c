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

status=0
echo "== native tests"
(cd build/native && ctest --output-on-failure -j "$jobs") || status=1

echo "== Windows tests under Wine"
export WINEPREFIX="$PWD/build/cross/wineprefix"
tests/wine/wine-session fresh
(cd build/cross && ctest --output-on-failure -j "$jobs") || status=1
tests/wine/wine-session stop

exit $status
