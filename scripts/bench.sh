#!/usr/bin/env bash
# Runs every benchmark: the in-process figures on the simulated desktop (bench_core: idle
# motion with its allocations, a drag and a resize step, captures as windows grow), the cost of
# a capture on a real display beside one application with N = 10, 20, 30, 60, 100 windows, then
# the X11 latency harness against floor_mover and openbox's own drag, each on a private Xvfb.
# Run by hand, not in CI.
#
# Usage: scripts/bench.sh [x11_latency options, e.g. --motions 2000 --rates 1000]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/release
bash "$root/scripts/install-deps.sh"
cmake --preset release >/dev/null
cmake --build "$build" --target bench_core tugworth x11_latency floor_mover x11_capture

echo "== In-process figures (simulated desktop) =="
"$build/bench/core/bench_core" --benchmark_counters_tabular=true
echo
echo "== Captures on a real display: one application with N windows, nothing under the pointer =="
bash "$root/bench/x11_capture/run.sh" "$build" --windows 10,20,30,60,100
echo
echo "== X11 latency: a Tugworth drag against floor_mover and openbox's own Alt+drag =="
bash "$root/bench/x11_latency/run.sh" "$build" "$@"
