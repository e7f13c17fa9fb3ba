#!/usr/bin/env bash
# Builds the plug-in and the renderer of a given commit (default: the last build before the speed work)
# into a folder outside the tree, for the side-by-side benchmark:
#   bench/build_baseline.sh [commit] [folder]    (default folder: /tmp/sorvel-baseline)
# The benchmark then finds the baseline at <folder>/build/sorvel.so.
set -euo pipefail
cd "$(dirname "$0")/.."

commit=${1:-39d4555}
folder=${2:-/tmp/sorvel-baseline}

if [ ! -f "$folder/build/sorvel.so" ]; then
  rm -rf "$folder/source"
  mkdir -p "$folder/source"
  git archive "$commit" | tar -x -C "$folder/source"
  cmake -S "$folder/source" -B "$folder/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF -DSORVEL_BENCH=OFF >/dev/null
  nice cmake --build "$folder/build" -j2 --target sorvel sorvel-render
fi
echo "$folder/build/sorvel.so"
