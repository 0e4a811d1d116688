#!/usr/bin/env bash
# Runs Tugworth's main job.
#
# On a machine with an X11 session ($DISPLAY reachable) it starts tugworth there: hold
# Super+Ctrl and move the mouse to drag the window under the pointer, add Shift to resize it.
#
# Without a display it shows the same on a private virtual desktop: Xvfb with openbox, a tray,
# xclock and xterm; tugworth on it; one drag and one resize made through XTEST as a user makes
# them; the gestures' log lines, the windows' geometry before and after, and a screenshot.
#
# Usage: scripts/demo.sh [PATH_TO_TUGWORTH]    (screenshot: $TUGWORTH_DEMO_SCREENSHOT,
#                                                default build/tugworth-demo.png)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-}
if [ -z "$program" ]; then
  for candidate in "$root"/build/release/src/program/tugworth "$root"/build/debug/src/program/tugworth; do
    if [ -x "$candidate" ]; then program=$candidate; break; fi
  done
  program=${program:-$(command -v tugworth || true)}
fi
if [ -z "$program" ] || [ ! -x "$program" ]; then
  echo "tugworth is not built: run scripts/run.sh, or pass its path" >&2
  exit 1
fi

# Installs the Debian packages behind the commands that are missing.
need() {
  local missing=() pair
  for pair in "$@"; do
    command -v "${pair%%:*}" >/dev/null 2>&1 || missing+=("${pair#*:}")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

need xdpyinfo:x11-utils
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting Tugworth on display $DISPLAY: hold Super+Ctrl and move the mouse (add Shift to resize)."
  exec "$program"
fi

need Xvfb:xvfb openbox:openbox xclock:x11-apps xterm:xterm xdotool:xdotool trayer:trayer \
  xwininfo:x11-utils import:imagemagick

source "$root/scripts/lib/virtual-desktop.sh"
start_virtual_desktop
echo "No X display here: showing Tugworth on a private virtual display $DISPLAY"
trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
  --transparent false >/dev/null 2>&1 &
pids+=($!)
xclock -geometry 240x240+160+160 >/dev/null 2>&1 &
pids+=($!)
xterm -T xterm -geometry 70x20+560+300 -e sh -c 'echo "A window for Tugworth to move."; exec cat' >/dev/null 2>&1 &
pids+=($!)
wait_for "xclock" xdotool search --onlyvisible --class XClock
wait_for "xterm" xdotool search --onlyvisible --class XTerm
clock=$(xdotool search --onlyvisible --class XClock | head -1)
term=$(xdotool search --onlyvisible --class XTerm | head -1)

log="$work/tugworth.log"
"$program" >"$log" 2>"$work/tugworth.err" &
pids+=($!)
wait_for "tugworth to launch" grep -q "kAXErrorNotEnoughPrecision" "$log"

geometry() {  # name window
  eval "$(xdotool getwindowgeometry --shell "$2")"
  printf '  %-6s x=%d y=%d width=%d height=%d\n' "$1" "$X" "$Y" "$WIDTH" "$HEIGHT"
}
count() { grep -c -- "$1" "$log" || true; }

# Holds the chord over the middle of a window, moves the mouse by XTEST relative motion as a
# mouse does, waits until the window has followed the pointer exactly, and lets go.
gesture() {  # window keys dx dy
  local window=$1 keys=$2 dx=$3 dy=$4 before expected
  eval "$(xdotool getwindowgeometry --shell "$window")"
  local x=$X y=$Y width=$WIDTH height=$HEIGHT
  xdotool mousemove $((x + width / 2)) $((y + height / 2))
  before=$(count "CAPTURE WINDOW END")
  xdotool keydown "$keys"
  wait_for "the gesture to take its window" sh -c "[ \$(grep -c 'CAPTURE WINDOW END' '$log') -gt $before ]"
  eval "$(xdotool getmouselocation --shell)"
  local startX=$X startY=$Y steps=5
  for _ in $(seq $steps); do xdotool mousemove_relative -- $((dx / steps)) $((dy / steps)); done
  eval "$(xdotool getmouselocation --shell)"
  local movedX=$((X - startX)) movedY=$((Y - startY))
  if [[ $keys == *shift* ]]; then
    expected="$x $y $((width + movedX)) $((height + movedY))"
  else
    expected="$((x + movedX)) $((y + movedY)) $width $height"
  fi
  wait_for "the window to follow the pointer" sh -c \
    "eval \"\$(xdotool getwindowgeometry --shell $window)\"; [ \"\$X \$Y \$WIDTH \$HEIGHT\" = '$expected' ]"
  xdotool keyup "$keys"
}

echo
echo "Before:"
geometry xclock "$clock"
geometry xterm "$term"

start=$(wc -l <"$log")
# xterm sizes itself in whole character cells, so the exact resize is shown on xclock.
gesture "$term" super+ctrl -150 100
drag_end=$(wc -l <"$log")
gesture "$clock" super+ctrl+shift 120 80

echo
echo "After a drag of xterm by (-150, 100) and a resize of xclock by (120, 80):"
geometry xclock "$clock"
geometry xterm "$term"

echo
echo "Log lines of the drag:"
sed -n "$((start + 1)),${drag_end}p" "$log" | grep -E "Modifier state|Selected window|\[INFO\] Moving|\[SUCCESS\]" | sed 's/^/  /'
echo
echo "Log lines of the resize:"
sed -n "$((drag_end + 1)),\$p" "$log" | grep -E "Modifier state|Selected window|\[INFO\] Resizing|\[SUCCESS\]" | sed 's/^/  /'

screenshot=${TUGWORTH_DEMO_SCREENSHOT:-$root/build/tugworth-demo.png}
mkdir -p "$(dirname "$screenshot")"
import -window root "$screenshot"
echo
echo "Screenshot: $screenshot"
