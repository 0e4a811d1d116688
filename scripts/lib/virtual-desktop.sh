# Sourced by the scripts that show or measure Tugworth on a private virtual display.
# Gives: $work (a scratch folder), pids (processes to stop, newest last), wait_for, and
# start_virtual_desktop, which starts Xvfb and openbox and points DISPLAY and the XDG folders
# at them. Everything started is stopped and $work removed when the script exits.

work=$(mktemp -d)
pids=()
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP PIPE  # so that the clean-up runs on these too

# wait_for WHAT COMMAND...: polls the command for at most ten seconds.
wait_for() {
  local what=$1; shift
  for _ in $(seq 200); do "$@" >/dev/null 2>&1 && return 0; sleep 0.05; done
  echo "Timed out waiting for $what" >&2
  exit 1
}

# start_virtual_desktop: Xvfb at 1280x800 with openbox managing it; returns when both are up,
# with their process ids in xserver_pid and wm_pid.
start_virtual_desktop() {
  exec 3<> "$work/displayfd"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xserver_pid=$!
  pids+=("$xserver_pid")
  wait_for "the virtual display" grep -q . "$work/displayfd"
  export DISPLAY=":$(head -1 "$work/displayfd")"
  unset WAYLAND_DISPLAY
  export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
  mkdir -p "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
  # No session bus: a Tugworth already running in the user's session would otherwise be
  # asked to reopen instead of this one starting on the private display.
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
  # openbox runs its start-up command once it manages the screen.
  openbox --startup "touch $work/openbox-ready" >/dev/null 2>&1 &
  wm_pid=$!
  pids+=("$wm_pid")
  wait_for "openbox" test -e "$work/openbox-ready"
}
