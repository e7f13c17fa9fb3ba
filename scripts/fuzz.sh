#!/usr/bin/env bash
# Runs one fuzz target for a while: scripts/fuzz.sh TARGET [MINUTES] (default 10).
# Targets: state_chunk, midi_events, configuration, program_files, midi_file. It builds in the
# clang sanitizer folder that scripts/test.sh --sanitize uses. New inputs gather in
# build-asan-clang/fuzz/work/TARGET; an input that fails is written there as crash-* (or leak-*,
# timeout-*), and can be replayed with build-asan-clang/fuzz/fuzz_TARGET FILE.
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:?usage: scripts/fuzz.sh TARGET [MINUTES]}
minutes=${2:-10}
dir=build-asan-clang

"$(dirname "$0")/setup.sh"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DSORVEL_SANITIZE=address -DSORVEL_FUZZ=ON >/dev/null
nice cmake --build "$dir" -j "$(nproc)" --target "fuzz_$target"

work="$dir/fuzz/work/$target"
mkdir -p "$work"
seeds=("tests/fuzz/corpus/$target")
if [ "$target" = midi_file ]; then seeds+=(tests/data/midi); fi
exec nice "$dir/fuzz/fuzz_$target" -max_total_time=$((minutes * 60)) -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$work/" -print_final_stats=1 "$work" "${seeds[@]}"
