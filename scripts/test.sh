#!/usr/bin/env bash
# Builds everything and runs every test:
#   1. the native build and its tests;
#   2. the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer (clang);
#   3. each libFuzzer target for FUZZ_SECONDS (default 60) from the seed corpora in fuzz/corpus;
#   4. the 32-bit Windows build, its tests run under Wine.
# A stage whose tools are missing says so in one line and is skipped; .ci/run installs them all.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${FUZZ_SECONDS:-60}

echo "== Native build and tests"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$root/build" -j"$jobs"
ctest --test-dir "$root/build" -j"$jobs" --output-on-failure

if command -v clang++ > /dev/null; then
  echo "== Sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer) and tests"
  cmake -S "$root" -B "$root/build-sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQUINTREL_SANITIZE=ON > /dev/null
  cmake --build "$root/build-sanitize" -j"$jobs"
  ctest --test-dir "$root/build-sanitize" -j"$jobs" --output-on-failure

  echo "== Fuzzing, ${fuzz_seconds}s per target"
  cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQUINTREL_FUZZ=ON -DQUINTREL_TESTS=OFF > /dev/null
  cmake --build "$root/build-fuzz" -j"$jobs"
  for seeds in "$root"/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    corpus="$root/build-fuzz/corpus/$target"  # new inputs go here, never into the repository
    mkdir -p "$corpus"
    echo "-- fuzz-$target"
    log="$root/build-fuzz/fuzz-$target.log"
    if ! "$root/build-fuzz/fuzz/fuzz-$target" -max_total_time="$fuzz_seconds" \
        -artifact_prefix="$root/build-fuzz/crash-$target-" "$corpus" "$seeds" > "$log" 2>&1; then
      tail -n 40 "$log"
      echo "fuzz-$target failed; the input that broke it is in $root/build-fuzz/"
      exit 1
    fi
    grep -E '^Done' "$log"
  done
else
  echo "Skipping the sanitizer build and fuzzing: they need clang (.ci/run installs it)."
fi

if ! command -v i686-w64-mingw32-g++-posix > /dev/null || ! command -v wine > /dev/null; then
  echo "Skipping the Windows build: it needs g++-mingw-w64-i686 and wine with wine32 (.ci/run installs them)."
  exit 0
fi
echo "== 32-bit Windows build, tests under Wine"
cmake -S "$root" -B "$root/build-win32" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" > /dev/null
cmake --build "$root/build-win32" -j"$jobs"
ctest --test-dir "$root/build-win32" --output-on-failure
