#!/usr/bin/env bash
# Prints the name of an ordinary user to run a headless compositor as. GNOME Shell and KWin refuse
# (or misbehave) as root, and CI runs as root: there the user is created once. Run as someone
# else, the caller is that ordinary user already.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
  id -un
  exit 0
fi
user=tugworth-ci
if ! id "$user" >/dev/null 2>&1; then
  useradd --system --create-home --shell /usr/sbin/nologin "$user" 2>/dev/null || id "$user" >/dev/null
fi
echo "$user"
