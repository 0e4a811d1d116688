#!/usr/bin/env bash
# Runs the X11 latency harness on a private desktop: Xvfb, openbox, one xclock window, the
# tugworth program (its log written to a file, as verbose as ever) and floor_mover, then
# x11_latency, which drags the clock the three ways and prints the figures as Markdown tables.
#
# Usage: bench/x11_latency/run.sh BUILD_DIR [x11_latency options, e.g. --motions 2000]
# With TUGWORTH_PERF_DATA=FILE set, tugworth is sampled by `perf record -g` into FILE meanwhile
# (the CPU figures then include perf's own overhead in the traced process).
set -euo pipefail

build=${1:?usage: run.sh BUILD_DIR [x11_latency options]}
shift
program=$build/src/program/tugworth
harness=$build/bench/x11_latency/x11_latency
floor=$build/bench/x11_latency/floor_mover
for binary in "$program" "$harness" "$floor"; do
  [ -x "$binary" ] || { echo "missing $binary: build it first" >&2; exit 1; }
done

source "$(dirname "$0")/../../scripts/lib/virtual-desktop.sh"
start_virtual_desktop
xclock -geometry 200x200+100+100 >/dev/null 2>&1 &
pids+=($!)
wait_for "xclock" sh -c "xwininfo -root -tree | grep -q XClock"

"$program" >"$work/tugworth.log" 2>"$work/tugworth.err" &
tugworth=$!
pids+=("$tugworth")
wait_for "tugworth to launch" grep -q "kAXErrorNotEnoughPrecision" "$work/tugworth.log"
"$floor" --class XClock &
floor_pid=$!
pids+=("$floor_pid")

echo "Display $DISPLAY: Xvfb 1280x800, openbox $(openbox --version | head -1 | cut -d' ' -f2), xclock;" \
  "$(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
if [ -n "${TUGWORTH_PERF_DATA:-}" ]; then
  perf record -q -g -F 2000 -p "$tugworth" -o "$TUGWORTH_PERF_DATA" >/dev/null 2>&1 &
  perf_pid=$!
  sleep 1
fi
"$harness" --tugworth-pid "$tugworth" --floor-pid "$floor_pid" --wm-pid "$wm_pid" \
  --server-pid "$xserver_pid" "$@"
if [ -n "${perf_pid:-}" ]; then kill -INT "$perf_pid"; wait "$perf_pid" || true; fi
lines=$(wc -l <"$work/tugworth.log")
echo
echo "tugworth wrote $lines log lines ($(du -h "$work/tugworth.log" | cut -f1)) during the run."
