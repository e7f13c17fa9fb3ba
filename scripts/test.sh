#!/usr/bin/env bash
# Builds and runs every test. With --sanitize, also under ThreadSanitizer (g++) and under
# AddressSanitizer + UndefinedBehaviorSanitizer (clang, which also checks arrays against their
# declared size), each in its own build folder; the clang build also replays every fuzz corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

"$(dirname "$0")/setup.sh"

jobs=$(nproc)

build_and_test() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

if [ "${1:-}" = "--sanitize" ]; then
  build_and_test build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVEL_SANITIZE=thread
  build_and_test build-asan-clang -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DSORVEL_SANITIZE=address -DSORVEL_FUZZ=ON
else
  build_and_test build -DCMAKE_BUILD_TYPE=Release
fi
