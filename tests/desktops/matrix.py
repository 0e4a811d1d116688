"""One window manager (or none) on a private Xvfb, with xterm, xclock, a GTK 3 window with
client-side decorations and a Qt 6 window (minimum size, transient dialog, maximized and
full-screen), each dragged and resized through XTEST, the geometry read back from the X server.
Prints one line per cell. Usage: matrix.py openbox|fluxbox|icewm|xfwm4|i3|none"""

import os
import re
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from desktop import Desktop, Program, Timeout, wait_until  # noqa: E402

QT_CLIENT = os.environ.get("TUGWORTH_QT_CLIENT", "desktops_qt_client")
DRAG, RESIZE = ("super", "ctrl"), ("super", "ctrl", "shift")

# Windows titled tw-... float; others are tiled.
I3_CONFIG = """# i3 config file (v4)
font pango:monospace 8
for_window [title="^tw-"] floating enable
for_window [class="^Gtk3-widget-factory$"] floating enable
"""
COMMANDS = {
    "openbox": ["openbox", "--sm-disable"],
    "fluxbox": ["fluxbox"],
    "icewm": ["icewm"],
    "xfwm4": ["xfwm4", "--compositor=off", "--sm-client-disable"],
    "i3": ["i3", "-c", "{home}/i3.conf"],
    "none": None,
}


class WindowManagerDesktop(Desktop):
    """Desktop's Xvfb and tools, with the window manager under test instead of openbox, and a
    private session bus (xfwm4's settings daemon needs one)."""

    SCREEN = "1920x1080x24"  # room for the GTK widget factory

    def __init__(self, wm):
        self.wm = wm
        super().__init__(tray=False, bus=True, prefix=f"tugworth-{wm}-", NO_AT_BRIDGE="1",
                         GTK_CSD="1")

    def start_window_manager(self):
        if not COMMANDS[self.wm]:
            return
        os.makedirs(os.path.join(self.home, ".icewm"))
        with open(os.path.join(self.home, "i3.conf"), "w") as f:
            f.write(I3_CONFIG)
        with open(os.path.join(self.home, ".icewm", "preferences"), "w") as f:
            f.write("Win95Keys=0\nTaskBarAtTop=0\n")  # Super alone would open the menu
        self.spawn([a.format(home=self.home) for a in COMMANDS[self.wm]])
        check = ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]
        wait_until(lambda: "window id" in self.x(check), f"{self.wm} to start")

    def open(self, argv, title):
        self.spawn(argv)
        window = self.wait_for_window("--name", f"^{title}$")
        if self.wm != "none":  # managed: the window manager has framed and placed it
            wait_until(lambda: "Normal" in self.x(["xprop", "-id", str(window), "WM_STATE"]),
                       f"{title} to be managed")
        # Some clients (GTK) size themselves again once mapped: wait for a quarter second
        # without a change.
        seen = [None, time.monotonic()]

        def settled():
            if self.geometry(window) != seen[0]:
                seen[:] = self.geometry(window), time.monotonic()
            return time.monotonic() - seen[1] >= 0.25
        wait_until(settled, f"{title} to keep its geometry")
        return window

    def states(self, window):
        return self.x(["xprop", "-id", str(window), "_NET_WM_STATE"])

    def increments(self, window):
        found = re.search(r"resize increment: (\d+) by (\d+)",
                          self.x(["xprop", "-id", str(window), "WM_NORMAL_HINTS"]))
        return (int(found.group(1)), int(found.group(2))) if found else (1, 1)


class Matrix:
    desktop_type = WindowManagerDesktop

    def __init__(self, wm):
        self.wm, self.results = wm, []
        self.desktop = self.desktop_type(wm)
        self.program = Program(self.desktop.env)

    def gesture(self, window, keys, moves, chained_sleep=None, until=None, more=()):
        """Holds `keys` over `window`, makes the motions in one XTEST stream (then, once
        `until` holds, the `more` motions), waits until the program has handled the last, and
        releases. Answers the pointer's total motion."""
        motions = lambda steps, pause: [a for dx, dy in steps for a in (
            "mousemove_relative", "--", dx, dy, *(("sleep", pause) if pause else ()))]
        self.desktop.hold_over(self.program, window, keys, inset=60)
        start = self.desktop.pointer()
        self.desktop.xdotool(*motions(moves, chained_sleep))
        if until:
            wait_until(until, "the window to change midway", seconds=5)
            self.desktop.xdotool(*motions(more, None))
        end = self.desktop.pointer()
        # Events are handled in order: once Shift's change is logged (a resize from a drag,
        # a drag from a resize), every motion before it has been handled.
        marker = "Modifier state: " + ("Dragging" if "shift" in keys else "Resizing")
        markers = self.program.count(marker)
        self.desktop.xdotool("keyup" if "shift" in keys else "keydown", "shift")
        self.program.wait_for_count(marker, markers + 1)
        self.desktop.xdotool("keyup", "super+ctrl+shift")
        return end[0] - start[0], end[1] - start[1]

    def settle(self, window, expected, close_enough=lambda got, want: got == want):
        try:
            wait_until(lambda: close_enough(self.desktop.geometry(window), expected),
                       "geometry", seconds=5)
            return None
        except Timeout:
            return f"wanted {expected}, got {self.desktop.geometry(window)}"

    def cell(self, name, outcome):
        self.results.append((name, outcome or "exact"))

    def follow(self, name, window, keys, moves, **kw):
        """A cell: the window follows the pointer exactly (moved, or resized with Shift)."""
        x, y, w, h = self.desktop.geometry(window)
        dx, dy = self.gesture(window, keys, moves, **kw)
        self.cell(name, self.settle(window, (x, y, w + dx, h + dy) if "shift" in keys
                                    else (x + dx, y + dy, w, h)))

    def refused(self, name, window, keys=DRAG):
        before = self.desktop.geometry(window)
        successes, failures = (self.program.count("[SUCCESS]"),
                               self.program.count("Failed to set window frame"))
        self.gesture(window, keys, [(20, 10), (25, 15)])
        after = self.desktop.geometry(window)
        problems = [text for text, found in (
            ("a success was logged", self.program.count("[SUCCESS]") != successes),
            ("no failure was logged", self.program.count("Failed to set window frame") == failures),
            (f"moved from {before} to {after}", after != before)) if found]
        self.cell(name, "FAIL: " + ", ".join(problems) if problems else "refused-and-logged")

    def run(self):
        d, prefix = self.desktop, "tw-"  # titles of no window manager's own windows
        # Placed from the bottom-right corner, the clock asks for south-east gravity: requests
        # must place its frame all the same.
        clock = d.open(["xclock", "-geometry", "200x160-1020-720", "-title", prefix + "clock"],
                       prefix + "clock")
        self.follow("xclock drag", clock, DRAG, [(25, 10), (-7, 31), (40, -12)] * 3)
        # The last step is larger: motion within 2 px of the last delivery waits for more.
        self.follow("xclock slow drag, 100 motions of 1 px", clock, DRAG,
                    [(1, 0)] * 100 + [(3, 0)], chained_sleep="0.001")
        self.follow("xclock resize", clock, RESIZE, [(30, 20), (15, 25), (-20, -10)])

        term = d.open(["xterm", "-geometry", "80x24+500+100", "-title", prefix + "term"],
                      prefix + "term")
        w = d.geometry(term)[2]
        # Within one gesture the size asked for follows the pointer, not the cells shown.
        self.follow("xterm shrink by (150,150) and back, one gesture", term, RESIZE,
                    [(-5, -5)] * 30, more=[(5, 5)] * 30,
                    until=lambda: d.geometry(term)[2] <= w - 150 + d.increments(term)[0])

        gtk = d.open(["gtk3-widget-factory"], "gtk3-widget-factory")
        self.follow("GTK 3 client-side decorations drag", gtk, DRAG, [(-30, -20), (-25, -15)] * 3)

        qt = d.open([QT_CLIENT, prefix + "qt"], prefix + "qt")
        dialog = d.wait_for_window("--name", f"^{prefix}qt-dialog$")
        self.follow("Qt window shrunk past its minimum and back", qt, RESIZE, [(-40, -40)] * 6,
                    more=[(40, 40)] * 6, until=lambda: d.geometry(qt)[2] <= 240)
        self.follow("Qt transient dialog drag", dialog, DRAG, [(-30, -20)] * 4)

        if self.wm == "i3":
            tiled = d.open(["xterm", "-title", "tiled-term"], "tiled-term")
            self.refused("i3 tiled xterm drag", tiled)
        if self.wm not in ("none", "i3"):  # i3 does not maximize
            big = d.open([QT_CLIENT, prefix + "maxi", "maximized"], prefix + "maxi")
            wait_until(lambda: "MAXIMIZED" in d.states(big), "maximized")
            self.gesture(big, DRAG, [(30, 40), (20, 20)])
            restored = lambda got, want: got[2:] == want and "MAXIMIZED" not in d.states(big)
            self.cell("maximized Qt window drag (restored to 400x300)",
                      self.settle(big, (400, 300), restored))
        if self.wm != "none":
            full = d.open([QT_CLIENT, prefix + "full", "fullscreen"], prefix + "full")
            wait_until(lambda: "FULLSCREEN" in d.states(full), "full screen")
            self.refused("full-screen Qt window drag", full)

    def close(self):
        self.program.stop()
        self.desktop.close()


def report(label, needed, make_matrix, run):
    """Makes the matrix, runs its cells once the program is up and prints one line per cell;
    exits 77 (skipped) when a tool is missing."""
    missing = [tool for tool in needed if shutil.which(tool) is None]
    if missing:
        print("skipped: missing " + ", ".join(missing) + " (see scripts/install-deps.sh)")
        return 77
    matrix = make_matrix()
    try:
        matrix.program.wait_for_line("kAXErrorNotEnoughPrecision")
        run(matrix)
    except Exception:
        print("\n".join(matrix.program.snapshot()[-60:]))
        raise
    finally:
        matrix.close()
    for name, outcome in matrix.results:
        print(f"{label:8} | {name:45} | {outcome}")
    return 0 if all(not o.startswith(("wanted", "FAIL")) for _, o in matrix.results) else 1


def main():
    wm = sys.argv[1]
    needed = ["Xvfb", "xterm", "xclock", "xdotool", "xprop", "gtk3-widget-factory", "dbus-daemon"]
    return report(wm, needed + ([COMMANDS[wm][0]] if COMMANDS[wm] else []), lambda: Matrix(wm),
                  Matrix.run)


if __name__ == "__main__":
    sys.exit(main())
