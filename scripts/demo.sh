#!/usr/bin/env bash
# Installs what is missing, builds the plug-in in Release and shows how to install it.
set -euo pipefail
cd "$(dirname "$0")/.."

"$(dirname "$0")/setup.sh"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"

echo
echo "Built: $(pwd)/build/sorvel.so"
echo "Install for a host:  mkdir -p ~/.vst && cp build/sorvel.so ~/.vst/"
echo "(or copy it into any folder listed in VST_PATH)"
