#!/usr/bin/env bash
# Runs a KDE test program against a private headless KWin: as an ordinary user (KWin refuses
# root), with a private session bus and XDG_RUNTIME_DIR. KWin's installed binary carries a file
# capability this container may not grant, so a copy without it runs (still named kwin_wayland,
# or Qt cannot find its platform plug-in). Usage: run_kwin.sh TEST_PROGRAM TUGWORTH [ARGS...]
set -euo pipefail
if [ "${1-}" != --inside ]; then
  user=$(bash "$(dirname "$0")/../../scripts/ensure-test-user.sh")
  work=$(mktemp -d /tmp/tugworth-kde.XXXXXX)
  trap 'rm -rf "$work"' EXIT
  mkdir -m 700 "$work/run" && mkdir -p "$work/home/.local/share/applications"
  cp /usr/bin/kwin_wayland "$work/"
  chown -R "$user" "$work" && chmod 755 "$work"
  run=(env -u WAYLAND_DISPLAY -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS HOME="$work/home"
       XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/home/.local/share"
       XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache" NO_AT_BRIDGE=1
       KDE_WORK="$work" dbus-run-session -- bash "$0" --inside "$@")
  if [ "$(id -u)" -eq 0 ]; then
    run=(setpriv --reuid="$user" --regid="$(id -g "$user")" --init-groups "${run[@]}")
  fi
  "${run[@]}"
  exit
fi
program=$2 tugworth=$3
shift 3
# KWin offers fake input to the test, and keystate to the program, only as their entries ask.
entry() {
  printf '[Desktop Entry]\nType=Application\nName=%s\nExec=%s\nX-KDE-Wayland-Interfaces=%s\n' \
    "$1" "$2" "$3" >"$XDG_DATA_HOME/applications/$1.desktop"
}
entry tugworth-kde-test "$program" org_kde_kwin_fake_input
entry tugworth "$tugworth" org_kde_kwin_keystate
# QPainter: no GL work on a busy machine.
KWIN_COMPOSE=Q "$KDE_WORK/kwin_wayland" --virtual --no-lockscreen --no-global-shortcuts \
  --socket wayland-tugworth-test --width 1280 --height 800 2>"$KDE_WORK/kwin.log" &
kwin=$!
trap 'kill $kwin; wait $kwin || true' EXIT
if ! gdbus wait --session --timeout 15 org.kde.KWin; then
  echo "KWin did not come up:" >&2
  tail -c 2000 "$KDE_WORK/kwin.log" >&2
  exit 1
fi
WAYLAND_DISPLAY=wayland-tugworth-test TUGWORTH_PROGRAM=$tugworth "$program" "$@"
