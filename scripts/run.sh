#!/usr/bin/env bash
# Installs what is missing, builds, and runs Tugworth's main job.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

if [ -x build/release/src/program/tugworth ] && [ -f scripts/demo.sh ]; then
  exec bash scripts/demo.sh build/release/src/program/tugworth
fi
# Without the desktop program, play the bundled demo on the simulated desktop.
exec build/release/tools/tugworth-sim/tugworth-sim examples/demo.json
