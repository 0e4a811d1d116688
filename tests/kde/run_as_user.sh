#!/usr/bin/env bash
# Runs a KDE test program the way KWin needs: as an ordinary user (KWin refuses root), with a
# private session bus and XDG_RUNTIME_DIR, from a folder that user can read. KWin's installed
# binary carries a file capability this container may not grant, so the program is given a
# copy without it (still named kwin_wayland, or Qt cannot find its platform plug-in).
# Usage: run_as_user.sh PROGRAM BRIDGE_SCRIPT TUGWORTH [ARGS...]
set -euo pipefail
program=$1 script=$2 tugworth=$3
shift 3
user=$(bash "$(dirname "$0")/../../scripts/ensure-test-user.sh")
work=$(mktemp -d /tmp/tugworth-kde.XXXXXX)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
mkdir -m 700 "$work/run"
mkdir "$work/home"
cp "$program" "$work/test-program"
cp "$script" "$work/tugworth-bridge.js"
mkdir "$work/bin"
cp "$tugworth" "$work/bin/tugworth"
mkdir -p "$work/share/tugworth/kwin"  # where the program looks beside itself
cp "$script" "$work/share/tugworth/kwin/"
cp /usr/bin/kwin_wayland "$work/kwin_wayland"  # cp drops the capability
chown -R "$user" "$work"
env=(HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/home/.local/share"
     XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache" NO_AT_BRIDGE=1
     TUGWORTH_KDE_WORK="$work")
run=(env -u WAYLAND_DISPLAY -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS "${env[@]}"
     dbus-run-session -- "$work/test-program" "$@")
if [ "$(id -u)" -eq 0 ]; then
  setpriv --reuid="$user" --regid="$(id -g "$user")" --init-groups "${run[@]}"
else
  "${run[@]}"
fi
