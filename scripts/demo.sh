#!/usr/bin/env bash
# Builds Quintrel and the stand-in encoder, then encodes the demo WAV files in a scratch
# folder under build/, with the coloured progress when run on a terminal.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QUINTREL_BUILD_DIR:-$root/build}"  # the build folder; another may be named

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build" -j2 --target Quintrel enc > /dev/null

run="$build/demo-run"
rm -rf "$run"
mkdir -p "$run"
cp "$root"/demo/*.wav "$run"/
cd "$run"
echo "\$ Quintrel '*.wav' 1024    (in $run)"
status=0
"$build/Quintrel" '*.wav' 1024 || status=$?
echo
echo "Quintrel exited with status $status. Files written by the stand-in encoder:"
ls -l -- *.aifr
exit "$status"
