#!/usr/bin/env bash
# Builds and runs every test. With --sanitize, also under ThreadSanitizer and under
# AddressSanitizer + UndefinedBehaviorSanitizer, each in its own build folder.
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
  build_and_test build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVEL_SANITIZE=address
else
  build_and_test build -DCMAKE_BUILD_TYPE=Release
fi
