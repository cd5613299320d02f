#!/usr/bin/env bash
# Builds Quintrel and the benchmark helpers, then prints the benchmark table.
# BENCH_RUNS sets the number of runs per figure (default 5). Where a Windows cross
# compiler and a Wine that runs its programs are present, the table ends with a batch
# through Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$root/build" -j2 --target Quintrel bench_noop_encoder bench_floor bench_measure > /dev/null

. "$root/scripts/windows.sh"
if command -v i686-w64-mingw32-g++-posix > /dev/null && wine_loader_runs "$wine32_loader"; then
  windows=(win32 mingw-w64-i686 "$wine32_loader")
elif command -v x86_64-w64-mingw32-g++-posix > /dev/null && wine_loader_runs "$wine64_loader"; then
  windows=(win64 mingw-w64-x86_64 "$wine64_loader")
fi
if [ -n "${windows:-}" ]; then
  cmake -S "$root" -B "$root/build-${windows[0]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/${windows[1]}.cmake" > /dev/null
  cmake --build "$root/build-${windows[0]}" -j2 --target enc > /dev/null
  write_wine_on_path "$root/build/bench-wine-on-path" "${windows[2]}"
  export BENCH_WINDOWS_ENCODER="$root/build-${windows[0]}/enc.exe" BENCH_WINE_LOADER="${windows[2]}" \
    BENCH_WINE_FOLDER="$root/build/bench-wine-on-path"
fi
exec python3 "$root/bench/run.py" "$root/build"
