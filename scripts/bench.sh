#!/usr/bin/env bash
# Runs every benchmark: the in-process figures on the simulated desktop (bench_core: idle
# motion with its allocations, a drag and a resize step, captures as windows grow), then the X11
# latency harness against openbox's own drag on a private Xvfb. Run by hand, not in CI.
#
# Usage: scripts/bench.sh [x11_latency options, e.g. --motions 2000 --rates 1000]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/release
bash "$root/scripts/install-deps.sh"
cmake --preset release >/dev/null
cmake --build "$build" --target bench_core tugworth x11_latency

echo "== In-process figures (simulated desktop) =="
"$build/bench/core/bench_core" --benchmark_counters_tabular=true
echo
echo "== X11 latency: a Tugworth drag against openbox's own Alt+drag =="
bash "$root/bench/x11_latency/run.sh" "$build" "$@"
