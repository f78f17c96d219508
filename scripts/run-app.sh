#!/usr/bin/env bash
# Installs what is missing, builds Arbolix and starts it on the bundled sample.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DARBOLIX_GUI=ON
cmake --build build -j"$(nproc)" --target arbolix arbolix-cli
sample=data/samples/all_leukemia_top2000.txt
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Arbolix on a virtual display (xvfb-run)." >&2
  exec xvfb-run -a build/src/arbolix "$sample"
fi
exec build/src/arbolix "$sample"
