#!/usr/bin/env python3
"""A long run of real gestures: the tugworth program on a private Xvfb display with openbox,
dragging and resizing an xclock through EVENTS pointer motions (100,000 by default). After
warm-up the program's resident memory must stay within 1 MiB and its open file descriptors
must not grow. Run on demand, not in CI:

    TUGWORTH_PROGRAM=build/rel/src/program/tugworth python3 bench/long_run/real_display.py [EVENTS]

The program's log goes to /dev/null: every motion step writes several lines. Motions are
relative XTEST motions, as a mouse makes them; each gesture is a square, so the clock comes
back where it started, and the script waits for the clock after each side so that the
program never lags far behind its input.
"""

import ctypes
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tests", "e2e"))
from desktop import TUGWORTH, Desktop, Timeout, wait_until  # noqa: E402

MIB = 1024 * 1024
STEP = 3    # points per motion: above the program's 2-point threshold
SIDE = 50   # motions per side of a square
SQUARE = [(STEP, 0), (0, STEP), (-STEP, 0), (0, -STEP)]


class Xtest:
    """Relative pointer motion through XTEST on one connection of our own."""

    def __init__(self, display):
        self._x11 = ctypes.CDLL("libX11.so.6")
        self._xtst = ctypes.CDLL("libXtst.so.6")
        self._x11.XOpenDisplay.restype = ctypes.c_void_p
        self._x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self._x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self._x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self._xtst.XTestFakeRelativeMotionEvent.argtypes = [
            ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
        self._display = self._x11.XOpenDisplay(display.encode())
        if not self._display:
            raise RuntimeError(f"cannot open display {display}")

    def move_by(self, dx, dy, times):
        for _ in range(times):
            self._xtst.XTestFakeRelativeMotionEvent(self._display, dx, dy, 0)
        self._x11.XSync(self._display, 0)

    def close(self):
        self._x11.XCloseDisplay(self._display)


def resident_bytes(pid):
    with open(f"/proc/{pid}/status", encoding="ascii") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) * 1024
    raise RuntimeError(f"no VmRSS for process {pid}")


def descriptors(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


class LongRun:
    def __init__(self, desktop, program, clock):
        self.desktop = desktop
        self.program = program
        self.clock = clock
        self.xtest = Xtest(desktop.display)
        self.events = 0

    def wait_for(self, expected, seconds=None):
        wait_until(lambda: self.desktop.geometry(self.clock) == expected,
                   f"the clock at {expected} (now {self.desktop.geometry(self.clock)})",
                   **({} if seconds is None else {"seconds": seconds}))

    def follows_a_short_drag(self):
        x, y, w, h = self.desktop.geometry(self.clock)
        self.desktop.xdotool("mousemove", x + w // 2, y + h // 2)
        self.desktop.xdotool("keydown", "super+ctrl")
        self.xtest.move_by(STEP, 0, 5)
        try:
            self.wait_for((x + 5 * STEP, y, w, h), seconds=3)
            return True
        except Timeout:
            return False
        finally:
            self.desktop.xdotool("keyup", "ctrl+super")

    def wait_until_ready(self):
        """A chord pressed while the program is still starting may go unseen: retries a short
        drag until the clock follows it. Its motions are not counted."""
        wait_until(self.follows_a_short_drag, "the program to follow a first drag")

    def gesture(self, keys):
        """Holds `keys` over the clock and moves the pointer round a square."""
        x, y, w, h = start = self.desktop.geometry(self.clock)
        self.desktop.xdotool("mousemove", x + w // 2, y + h // 2)
        self.desktop.xdotool("keydown", "+".join(keys))
        dx = dy = 0
        for step_x, step_y in SQUARE:
            self.xtest.move_by(step_x, step_y, SIDE)
            self.events += SIDE
            dx += step_x * SIDE
            dy += step_y * SIDE
            self.wait_for((x, y, w + dx, h + dy) if "shift" in keys else (x + dx, y + dy, w, h))
        self.desktop.xdotool("keyup", "+".join(reversed(keys)))
        self.wait_for(start)

    def run(self, total):
        self.wait_until_ready()
        warm_up = min(total // 2, max(10_000, total // 10))
        while self.events < warm_up:
            self.gestures()
        pid = self.program.pid
        resident, fds = resident_bytes(pid), descriptors(pid)
        while self.events < total:
            self.gestures()
        grown = resident_bytes(pid) - resident
        fds_after = descriptors(pid)
        self.xtest.close()
        print(f"{self.events} motion events after {warm_up} of warm-up: resident memory "
              f"{resident} -> {resident + grown} bytes ({grown:+d}), open descriptors "
              f"{fds} -> {fds_after}")
        return grown <= MIB and fds_after <= fds

    def gestures(self):
        self.gesture(("super", "ctrl"))
        self.gesture(("super", "ctrl", "shift"))


def main():
    total = int(sys.argv[1]) if len(sys.argv) > 1 else 100_000
    if total <= 0:
        sys.exit("EVENTS must be a positive count")
    desktop = Desktop(tray=True)
    program = None
    try:
        desktop.spawn(["xclock", "-geometry", "240x240+300+200"])
        clock = desktop.wait_for_window("--class", "XClock")
        # TUGWORTH_LONG_RUN_LOG=FILE keeps the log, for looking into a failed short run.
        log = open(os.environ.get("TUGWORTH_LONG_RUN_LOG", os.devnull), "wb")
        program = subprocess.Popen([TUGWORTH], env=desktop.env, stdin=subprocess.DEVNULL,
                                   stdout=log, stderr=subprocess.STDOUT)
        log.close()
        held = LongRun(desktop, program, clock).run(total)
        program.terminate()
        status = program.wait(timeout=30)
        print(f"exit status {status}")
        return 0 if held and status == 0 else 1
    finally:
        if program is not None and program.poll() is None:
            program.kill()
            program.wait()
        desktop.close()


if __name__ == "__main__":
    sys.exit(main())
