#!/usr/bin/env bash
# Installs the Debian packages Tugworth needs to build, run and test, skipping those present.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config clang clang-tidy clang-format libclang-rt-14-dev
  # core tests, benchmarks, scenario runner
  googletest libgtest-dev libbenchmark-dev nlohmann-json3-dev
  # X11 platform
  libxcb1-dev libxcb-xinput-dev libxcb-xkb-dev libxcb-randr0-dev libxcb-res0-dev
  libxcb-xtest0-dev
  # Qt user interface
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # the virtual desktop the program and its tests run on
  xvfb xauth openbox xterm x11-apps x11-utils xdotool xclip trayer dbus-daemon imagemagick
  # KDE Plasma: the driver's D-Bus and Wayland parts, a headless KWin and the Wayland clients
  # its tests move (Qt 6 through qt6-wayland, GTK 3 through zenity), framed by Breeze as on Plasma
  libwayland-dev plasma-wayland-protocols kwin-wayland kwin-style-breeze qt6-wayland zenity dbus
  # the window managers and clients the desktop tests run (xfwm4 reads its settings over D-Bus)
  fluxbox icewm xfwm4 i3-wm gtk-3-examples
  # two RandR monitors: Xvfb keeps one, the real server with the dummy driver takes xrandr's
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  # GNOME Shell on Wayland: the headless compositor, XWayland, test clients
  gnome-shell gjs xwayland gir1.2-gtk-3.0 python3-gi
  # packaging
  dpkg-dev file lintian appstream desktop-file-utils man-db
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
"${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=900 update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends \
  "${missing[@]}" >/dev/null
