#!/usr/bin/env bash
# Builds everything and runs every test:
#   0. installs what the stages need, where it can (root on Debian or Ubuntu);
#   1. the native build and its tests;
#   2. the demo, configured and built with GoogleTest hidden (it must not need it);
#   3. the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer (clang);
#   4. each libFuzzer target for FUZZ_SECONDS (default 60) from the seed corpora in fuzz/corpus;
#   5. the Windows builds: the 32-bit one (the product) and a 64-bit one, each with its tests
#      run under Wine where this machine can run them;
#   6. the Linux Quintrel with the Windows stand-in encoder, through a real Wine;
#   7. the release files, built twice and compared, then checked (scripts/check-release.sh).
# A stage whose tools are missing says so in one line and is skipped.
# QUINTREL_NO_INSTALL=1 skips step 0.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${FUZZ_SECONDS:-60}
# shellcheck source=windows.sh
. "$root/scripts/windows.sh"

# Everything any stage needs, as Debian and Ubuntu name it. wine32 comes from the i386
# architecture.
packages=(cmake make g++ googletest libgtest-dev libgmock-dev clang libclang-rt-14-dev
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 file util-linux
          dpkg-dev lintian mandoc man-db unzip)

stage_name=
stage() {
  finish_stage
  echo "== $1"
  stage_name=$1
  stage_started=$SECONDS
}
finish_stage() {
  if [ -n "$stage_name" ]; then echo "-- $stage_name: $((SECONDS - stage_started)) s"; fi
  stage_name=
}

install_missing() {
  [ "${QUINTREL_NO_INSTALL:-}" = 1 ] && return
  command -v dpkg > /dev/null || { echo "Not a Debian system: install the equivalents of: ${packages[*]}"; return; }
  local missing=() package
  for package in "${packages[@]}"; do
    dpkg -s "$package" > /dev/null 2>&1 || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return
  if [ "$(id -u)" -ne 0 ] || ! command -v apt-get > /dev/null; then
    echo "Missing packages (the stages that need them are skipped): ${missing[*]}"
    echo "To install them: sudo dpkg --add-architecture i386 && sudo apt-get update && sudo apt-get install ${missing[*]}"
    return
  fi
  stage "Installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update > /dev/null || echo "apt-get update failed; installing from the lists this machine has."
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" > /dev/null \
    || echo "Could not install them all; the stages that need what is missing are skipped."
}

install_missing

stage "Native build and tests"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$root/build" -j"$jobs"
ctest --test-dir "$root/build" -j"$jobs" --output-on-failure

if command -v unshare > /dev/null && unshare --mount true 2> /dev/null; then
  stage "Demo with GoogleTest hidden"
  # An empty folder over every place GoogleTest is found from, in a private mount namespace.
  unshare --mount --propagation private bash -c '
    set -e
    for folder in /usr/src/googletest /usr/include/gtest /usr/include/gmock /usr/lib/*/cmake/GTest; do
      if [ -d "$folder" ]; then mount -t tmpfs none "$folder"; fi
    done
    QUINTREL_BUILD_DIR="$1/build-demo-without-gtest" "$1/scripts/demo.sh"' - "$root" > "$root/build/demo-without-gtest.log" 2>&1 \
    || { cat "$root/build/demo-without-gtest.log"; echo "The demo failed with GoogleTest hidden."; exit 1; }
  grep -F "GoogleTest not found" "$root/build/demo-without-gtest.log"
  grep -F "exited with status" "$root/build/demo-without-gtest.log"
else
  echo "Skipping the demo with GoogleTest hidden: it needs unshare and the right to make a mount namespace."
fi

if command -v clang++ > /dev/null; then
  stage "Sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer) and tests"
  cmake -S "$root" -B "$root/build-sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQUINTREL_SANITIZE=ON > /dev/null
  cmake --build "$root/build-sanitize" -j"$jobs"
  ctest --test-dir "$root/build-sanitize" -j"$jobs" --output-on-failure

  stage "Fuzzing, ${fuzz_seconds}s per target"
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
  echo "Skipping the sanitizer build and fuzzing: they need clang (Debian: clang libclang-rt-14-dev)."
fi

# Windows. The 32-bit build is the product; the 64-bit one runs the same tests where the
# kernel refuses 32-bit programs, and as well where it does not.
wine32_runs=false
wine64_runs=false
wine_loader_runs "$wine32_loader" && wine32_runs=true
wine_loader_runs "$wine64_loader" && wine64_runs=true

if command -v i686-w64-mingw32-g++-posix > /dev/null; then
  stage "32-bit Windows build"
  cmake -S "$root" -B "$root/build-win32" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" > /dev/null
  cmake --build "$root/build-win32" -j"$jobs"
  if $wine32_runs; then
    ctest --test-dir "$root/build-win32" --output-on-failure
    win32_outcome="built and tested under 32-bit Wine"
  else
    for program in "$root/build-win32/Quintrel.exe" "$root/build-win32/enc.exe"; do
      check_windows_program "$program" "PE32 executable (console) Intel 80386" i686-w64-mingw32-objdump
    done
    win32_outcome="built and checked; its tests need a machine that runs 32-bit programs (this one does not)"
  fi
else
  echo "Skipping the 32-bit Windows build: it needs g++-mingw-w64-i686."
  win32_outcome="not built"
fi

if command -v x86_64-w64-mingw32-g++-posix > /dev/null && $wine64_runs; then
  stage "64-bit Windows build, tests under 64-bit Wine"
  cmake -S "$root" -B "$root/build-win64" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" > /dev/null
  cmake --build "$root/build-win64" -j"$jobs"
  check_windows_program "$root/build-win64/Quintrel.exe" "PE32+ executable (console) x86-64" x86_64-w64-mingw32-objdump
  ctest --test-dir "$root/build-win64" --output-on-failure
  $wine32_runs || echo "32-bit Windows build: $win32_outcome; the 64-bit build's tests ran instead."
else
  echo "Skipping the 64-bit Windows build: it needs g++-mingw-w64-x86-64 and wine64 (/usr/lib/wine/wine64)."
  $wine32_runs || echo "32-bit Windows build: $win32_outcome."
fi

# The Linux Quintrel with the Windows stand-in encoder beside it, run through a real Wine:
# the 32-bit one where it runs, else the 64-bit loader (called directly, as above).
windows_encoder= wine_loader= wine_prefix=
if $wine32_runs && [ -f "$root/build-win32/enc.exe" ]; then
  windows_encoder=$root/build-win32/enc.exe wine_loader=$wine32_loader wine_prefix=$root/build-win32/wineprefix
elif $wine64_runs && [ -f "$root/build-win64/enc.exe" ]; then
  windows_encoder=$root/build-win64/enc.exe wine_loader=$wine64_loader wine_prefix=$root/build-win64/wineprefix
fi
if [ -n "$windows_encoder" ]; then
  stage "Linux Quintrel with a Windows encoder, through Wine ($wine_loader)"
  wine_folder="$root/build/wine-on-path"
  write_wine_on_path "$wine_folder" "$wine_loader"
  QUINTREL_TEST_WINDOWS_ENCODER=$windows_encoder QUINTREL_TEST_WINE_FOLDER=$wine_folder \
    WINEPREFIX=$wine_prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= \
    "$root/build/tests/end_to_end_tests" --gtest_filter='*RealWine*'
else
  echo "Skipping the Linux Quintrel with a Windows encoder: no Wine runs here, or no Windows build was made."
fi
if command -v dpkg-shlibdeps > /dev/null && command -v lintian > /dev/null && command -v unzip > /dev/null &&
    command -v i686-w64-mingw32-g++-posix > /dev/null; then
  stage "Release files: built twice and compared, then checked"
  "$root/scripts/check-release.sh"
else
  echo "Skipping the release check: it needs dpkg-dev, lintian, unzip and g++-mingw-w64-i686."
fi
finish_stage
