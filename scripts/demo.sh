#!/usr/bin/env bash
# Installs what is missing, builds in Release and renders the demo piece through several factory
# programs into out/demo/, printing each file's duration, peak and RMS.
set -euo pipefail
cd "$(dirname "$0")/.."

"$(dirname "$0")/setup.sh"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"

echo
echo "Built: $(pwd)/build/sorvel.so"
echo "Install for a host:  mkdir -p ~/.vst && cp build/sorvel.so ~/.vst/"
echo "(or copy it into any folder listed in VST_PATH)"
echo

# The demo plays the factory programs as they ship, whatever this user's own settings are.
demo_config=$(mktemp -d)
trap 'rm -rf "$demo_config"' EXIT
export XDG_CONFIG_HOME=$demo_config

mkdir -p out/demo
render() {  # output name, program, channel (empty: all)
  local channel=()
  if [ -n "$3" ]; then channel=(--channel "$3"); fi
  build/sorvel-render --program "$2" "${channel[@]}" demo/sorvel-demo.mid "out/demo/$1.wav"
}
echo "Rendering demo/sorvel-demo.mid:"
render bass "BAS Plug Bass" 1
render lead "LED Nice Lead" 3
render pad "PAD Reso Pad" 2
render preset-trumpet "PRESET 8' Trumpet" 3
render full-fat-sorvel "Fat Sorvel" ""
