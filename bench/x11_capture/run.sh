#!/usr/bin/env bash
# Runs the capture benchmark on a private desktop: Xvfb, openbox and the tugworth program (its
# log written to a file, as verbose as ever), then x11_capture, which maps N windows of one
# application and holds the chord over the empty desktop.
#
# Usage: bench/x11_capture/run.sh BUILD_DIR [x11_capture options, e.g. --windows 10,60]
set -euo pipefail

build=${1:?usage: run.sh BUILD_DIR [x11_capture options]}
shift
program=$build/src/program/tugworth
harness=$build/bench/x11_capture/x11_capture
for binary in "$program" "$harness"; do
  [ -x "$binary" ] || { echo "missing $binary: build it first" >&2; exit 1; }
done

source "$(dirname "$0")/../../scripts/lib/virtual-desktop.sh"
start_virtual_desktop
"$program" >"$work/tugworth.log" 2>"$work/tugworth.err" &
tugworth=$!
pids+=("$tugworth")
wait_for "tugworth to launch" grep -q "kAXErrorNotEnoughPrecision" "$work/tugworth.log"

echo "Display $DISPLAY: Xvfb 1280x800, openbox, one application with N windows, the pointer" \
  "over the empty desktop; $(nproc) cores"
echo
"$harness" --tugworth-pid "$tugworth" --log "$work/tugworth.log" "$@"
