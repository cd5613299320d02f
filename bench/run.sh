#!/usr/bin/env bash
# Builds Quintrel and the benchmark helpers, then prints the benchmark table.
# BENCH_RUNS sets the number of runs per figure (default 5).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$root/build" -j2 --target Quintrel bench_noop_encoder bench_floor bench_measure > /dev/null
exec python3 "$root/bench/run.py" "$root/build"
