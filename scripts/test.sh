#!/usr/bin/env bash
# Builds everything and runs every test: the native build, then the 32-bit Windows build
# under Wine when the cross compiler and Wine are installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

echo "== Native build and tests"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$root/build" -j"$jobs"
ctest --test-dir "$root/build" -j"$jobs" --output-on-failure

if ! command -v i686-w64-mingw32-g++-posix > /dev/null || ! command -v wine > /dev/null; then
  echo "Skipping the Windows build: it needs g++-mingw-w64-i686 and wine with wine32 (.ci/run installs them)."
  exit 0
fi
echo "== 32-bit Windows build, tests under Wine"
cmake -S "$root" -B "$root/build-win32" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" > /dev/null
cmake --build "$root/build-win32" -j"$jobs"
ctest --test-dir "$root/build-win32" --output-on-failure
