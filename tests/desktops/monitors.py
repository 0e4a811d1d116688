"""Two RandR monitors side by side on a real Xorg with the dummy driver (Xvfb and Xephyr keep
one monitor whatever xrandr asks). The primary is the right one, so the left lies at negative
x from the primary's origin. Under openbox, xterm is dragged from the primary onto the left
monitor and resized there; the geometry is read back from the X server."""

import os
import subprocess
import sys

from matrix import DRAG, RESIZE, Matrix, WindowManagerDesktop, report

XORG_CONFIG = """Section "ServerFlags"
  Option "AutoAddDevices" "false"
EndSection
Section "Device"
  Identifier "card"
  Driver "dummy"
  VideoRam 64000
EndSection
"""


class TwoMonitorDesktop(WindowManagerDesktop):
    def start_server(self):
        config = os.path.join(self.home, "xorg.conf")
        with open(config, "w") as f:
            f.write(XORG_CONFIG)
        display = self.first_line(
            ["Xorg", "-config", config, "-logfile", os.path.join(self.home, "Xorg.log"),
             "-noreset", "-nolisten", "tcp", "-novtswitch", "-sharevts", "-displayfd", "{fd}"],
            "Xorg")
        env = dict(os.environ, DISPLAY=":" + display)
        # The pointer stays within the output's picture, so that spans both monitors.
        mode = "2560x800 174.25 2560 2720 2992 3424 800 803 813 831 -hsync +vsync".split()
        for args in (["--newmode", *mode], ["--addmode", "DUMMY0", mode[0]],
                     ["--output", "DUMMY0", "--mode", mode[0]],
                     ["--setmonitor", "*right", "1280/340x800/210+1280+0", "DUMMY0"],
                     ["--setmonitor", "left", "1280/340x800/210+0+0", "none"]):
            subprocess.run(["xrandr", *args], env=env, check=True, capture_output=True)
        return display


def run(matrix):
    d = matrix.desktop
    if "Monitors: 2" not in d.x(["xrandr", "--listmonitors"]):  # a server kept to one
        raise RuntimeError("not two monitors: " + d.x(["xrandr", "--listmonitors"]))
    term = d.open(["xterm", "-geometry", "80x24+1500+150", "-title", "tw-term"], "tw-term")
    matrix.follow("xterm from the primary onto the left monitor", term, DRAG, [(-60, 5)] * 16)
    x, y, w, h = d.geometry(term)  # exact, so all of it on the left monitor
    dx, dy = matrix.gesture(term, RESIZE, [(-20, 15), (-15, 10)] * 3)
    # Within one cell: the increments of xterm round the size it shows.
    cw, ch = d.increments(term)
    near = lambda got, want: got[:2] == want[:2] and all(
        0 <= v - g < c for g, v, c in zip(got[2:], want[2:], (cw, ch)))
    matrix.cell("xterm resize on the left monitor",
                matrix.settle(term, (x, y, w + dx, h + dy), near))


def main():
    if os.geteuid() != 0:  # Xorg without a console session needs root
        print("skipped: Xorg needs root here")
        return 77
    Matrix.desktop_type = TwoMonitorDesktop
    return report("monitors", ["Xorg", "xrandr", "openbox", "xterm", "xdotool", "xprop"],
                  lambda: Matrix("openbox"), run)


if __name__ == "__main__":
    sys.exit(main())
