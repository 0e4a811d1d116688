"""A private X11 desktop for end-to-end tests: Xvfb, openbox, a tray (trayer), clients, the
tugworth program with its log, and XTEST input. Every wait is a bounded poll on a condition."""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import unittest

TUGWORTH = os.environ.get("TUGWORTH_PROGRAM", "tugworth")
WAIT_SECONDS = float(os.environ.get("TUGWORTH_E2E_WAIT", "15"))


class Timeout(AssertionError):
    """A condition that did not come in time."""


def wait_until(condition, what, seconds=WAIT_SECONDS):
    """Polls `condition` until it answers something true; fails naming `what`."""
    deadline = time.monotonic() + seconds
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Timeout(f"timed out after {seconds:.0f} s waiting for {what}")
        time.sleep(0.02)


class Program:
    """A running tugworth with every line it writes kept in order."""

    def __init__(self, env, arguments=()):
        self.lines = []
        self._lock = threading.Lock()
        self.process = subprocess.Popen(
            [TUGWORTH, *arguments], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            stdin=subprocess.DEVNULL, text=True, errors="replace")
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        for line in self.process.stdout:
            with self._lock:
                self.lines.append(line.rstrip("\n"))

    def snapshot(self):
        with self._lock:
            return list(self.lines)

    def count(self, text):
        return sum(1 for line in self.snapshot() if text in line)

    def wait_for_count(self, text, count):
        wait_until(lambda: self.count(text) >= count, f"{count} line(s) with {text!r}; last:\n" +
                   "\n".join(self.snapshot()[-15:]))

    def wait_for_line(self, text):
        self.wait_for_count(text, 1)

    def stop(self):
        """Quits through SIGTERM (the ordinary termination) and answers the exit status."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        try:
            status = self.process.wait(timeout=WAIT_SECONDS)
        except subprocess.TimeoutExpired:
            self.process.kill()
            status = self.process.wait()
        self._reader.join(timeout=WAIT_SECONDS)
        self.process.stdout.close()
        return status


class Processes:
    """Processes started for a test, in a private home; ended in reverse order with it."""

    def __init__(self, prefix):
        self._processes = []
        self.home = tempfile.mkdtemp(prefix=prefix)
        self.env = {}

    def spawn(self, argv, output=subprocess.DEVNULL, **env):
        process = subprocess.Popen(argv, env=dict(self.env, **env), stdout=output,
                                   stderr=output, stdin=subprocess.DEVNULL)
        self._processes.append(process)
        return process

    def first_line(self, argv, what, output=subprocess.DEVNULL):
        """Starts `argv` with `{fd}` replaced by a pipe; answers the first line it writes there."""
        read_end, write_end = os.pipe()
        self._processes.append(subprocess.Popen(
            [a.format(fd=write_end) for a in argv], pass_fds=(write_end,), env=self.env or None,
            stdout=output, stderr=output))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            line = pipe.readline().strip()
        if not line:
            raise RuntimeError(f"{what} did not start")
        return line

    def start_bus(self, *arguments, output=subprocess.DEVNULL):
        return self.first_line(["dbus-daemon", "--nofork", "--nopidfile", "--print-address={fd}",
                                *arguments], "dbus-daemon", output)

    def close(self, seconds=5):
        for process in reversed(self._processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=seconds)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.home, ignore_errors=True)


class Desktop(Processes):
    """Xvfb on a free display, with a window manager (openbox unless told) and trayer, and, when
    asked, a private session bus, torn down in reverse order."""

    SCREEN = "1280x800x24"

    def __init__(self, tray=True, bus=False, prefix="tugworth-e2e-", **env):
        super().__init__(prefix)
        self.config_home = os.path.join(self.home, "config")
        runtime = os.path.join(self.home, "runtime")
        os.makedirs(self.config_home)
        os.makedirs(runtime, mode=0o700)
        self.display = ":" + self.start_server()
        self.env = dict(os.environ, DISPLAY=self.display, HOME=self.home,
                        XDG_CONFIG_HOME=self.config_home, XDG_RUNTIME_DIR=runtime, **env)
        for variable in ("WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DBUS_SESSION_BUS_ADDRESS"):
            self.env.pop(variable, None)
        # Without a bus of its own the desktop has none: a bus that nothing serves keeps
        # libdbus from starting one for the display.
        self.env["DBUS_SESSION_BUS_ADDRESS"] = (
            self.start_bus("--session") if bus else f"unix:path={self.home}/no-session-bus")
        try:
            self.start_window_manager()
            if tray:
                self.start_tray()
        except BaseException:
            self.close()
            raise

    def start_server(self):
        return self.first_line(["Xvfb", "-displayfd", "{fd}", "-screen", "0", self.SCREEN,
                                "-nolisten", "tcp", "-noreset"], "Xvfb")

    def start_window_manager(self):
        # openbox runs its start-up command once it manages the screen; a window mapped
        # before that can be left unmanaged and unmapped.
        ready = os.path.join(self.home, "openbox-ready")
        self.spawn(["openbox", "--startup", f"touch {ready}"])
        wait_until(lambda: os.path.exists(ready), "openbox to manage the screen")

    def start_tray(self):
        self.spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                    "--height", "32", "--SetDockType", "true", "--transparent", "false"])
        wait_until(self._tray, "the tray to appear")

    def x(self, argv, check=True):
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True,
                                errors="replace", timeout=WAIT_SECONDS)
        if check and result.returncode != 0:
            raise RuntimeError(f"{argv} failed: {result.stderr.strip()}")
        return result.stdout

    def xdotool(self, *args):
        return self.x(["xdotool", *map(str, args)])

    def find_windows(self, *criteria):
        return [int(w) for w in self.x(["xdotool", "search", *criteria], check=False).split()]

    def wait_for_window(self, *criteria):
        return wait_until(lambda: self.find_windows("--onlyvisible", *criteria),
                          f"a window matching {criteria}")[0]

    def _shell(self, keys, command, *args):
        output = self.xdotool(command, "--shell", *args)
        values = dict(line.split("=", 1) for line in output.split())
        return tuple(int(values[k]) for k in keys)

    def geometry(self, window):
        """(x, y, width, height) of a client window, in root coordinates."""
        return self._shell("X Y WIDTH HEIGHT".split(), "getwindowgeometry", window)

    def pointer(self):
        return self._shell("XY", "getmouselocation")

    def move_pointer_by(self, dx, dy):
        # Relative XTEST motion, as a mouse makes it (an absolute warp is no device motion).
        self.xdotool("mousemove_relative", "--", dx, dy)

    def hold_over(self, program, window, keys, inset=None):
        """Points into `window` (its middle, at most `inset` px in), holds `keys`, and waits
        until the program has taken its target."""
        x, y, w, h = self.geometry(window)
        self.xdotool("mousemove", x + min(w // 2, inset or w), y + min(h // 2, inset or h))
        texts = ("Modifier state: " + ("Resizing" if "shift" in keys else "Dragging"),
                 "CAPTURE WINDOW END")
        counts = [program.count(text) for text in texts]
        self.xdotool("keydown", "+".join(keys))
        for text, count in zip(texts, counts):
            program.wait_for_count(text, count + 1)

    def _tray(self):
        """The window tree's lines from the tray's panel on; none without a tray."""
        lines = self.x(["xwininfo", "-root", "-tree"]).splitlines()
        start = next((i for i, line in enumerate(lines) if '("panel" "trayer")' in line), None)
        return [] if start is None else lines[start:]

    def tray_icons(self):
        """The (class, x, y, width, height) of every window embedded in the tray."""
        lines = self._tray()
        depth = len(lines[0]) - len(lines[0].lstrip()) if lines else 0
        icons = []
        for line in lines[1:]:
            if len(line) - len(line.lstrip()) <= depth:
                break
            found = re.search(r'" "([^"]*)"\)\s+(\d+)x(\d+)\S*\s+\+(-?\d+)\+(-?\d+)', line)
            if found:
                cls, w, h, x, y = found.groups()
                icons.append((cls, int(x), int(y), int(w), int(h)))
        return icons

    def wait_for_tray_icon(self, cls="Tugworth"):
        return wait_until(lambda: [i for i in self.tray_icons() if i[0] == cls],
                          f"a {cls} icon in the tray")[0]


class DesktopTest(unittest.TestCase):
    """A fresh desktop per test, with xclock at a known place."""

    tray = True
    bus = False

    def setUp(self):
        self.desktop = Desktop(tray=self.tray, bus=self.bus)
        self.addCleanup(self.desktop.close)
        self.desktop.spawn(["xclock", "-geometry", "240x240+300+200"])
        self.clock = self.desktop.wait_for_window("--class", "XClock")
        self.programs = []

    def tearDown(self):
        for program in self.programs:
            program.stop()

    def settings_folder(self):
        return os.path.join(self.desktop.config_home, "Tugworth")

    def settings_file(self):
        return os.path.join(self.settings_folder(), "Tugworth.conf")

    def launch(self, *arguments):
        program = Program(self.desktop.env, arguments)
        self.programs.append(program)
        if arguments:  # a quieter log: the tray icon says it has launched
            self.desktop.wait_for_tray_icon()
        else:
            program.wait_for_line("kAXErrorNotEnoughPrecision")
        return program

    def quit(self, program):
        status = program.stop()
        self.programs.remove(program)
        return status

    def press(self, *keys):
        self.desktop.xdotool("keydown", "+".join(keys))

    def release(self, *keys):
        self.desktop.xdotool("keyup", "+".join(reversed(keys)))

    def point_at_clock(self):
        x, y, w, h = self.desktop.geometry(self.clock)
        self.desktop.xdotool("mousemove", x + w // 2, y + h // 2)

    def gesture(self, program, keys, moves):
        """Holds `keys` over the clock, moves the pointer by each of `moves`, waits until the
        clock has followed exactly (moved, or resized when Shift is held), and releases."""
        x, y, w, h = self.desktop.geometry(self.clock)
        self.desktop.hold_over(program, self.clock, keys)
        start = self.desktop.pointer()
        for move in moves:
            self.desktop.move_pointer_by(*move)
        dx, dy = (end - begin for end, begin in zip(self.desktop.pointer(), start))
        self.wait_for_geometry(self.clock, (x, y, w + dx, h + dy) if "shift" in keys
                               else (x + dx, y + dy, w, h))
        self.release(*keys)

    def wait_for_geometry(self, window, expected):
        wait_until(lambda: self.desktop.geometry(window) == expected,
                   f"geometry {expected} (now {self.desktop.geometry(window)})")

    def choose_from_tray_menu(self, position):
        """Opens the tray menu and takes its item at `position` (from 1) from the keyboard."""
        _, x, y, w, h = self.desktop.wait_for_tray_icon()
        ours = lambda: len(self.desktop.find_windows("--onlyvisible", "--class", "Tugworth"))
        shown = ours()
        # The pointer rests on the icon before the click, as a hand's does: a click right after
        # the pointer arrives is sometimes not answered.
        self.desktop.xdotool("mousemove", x + w // 2, y + h // 2, "sleep", "0.3", "click", "3")
        wait_until(lambda: ours() > shown, "the tray menu to open")
        # The menu takes the keyboard while it is open.
        self.desktop.xdotool("key", *["Down"] * position, "Return")

    def open_preferences(self):
        self.choose_from_tray_menu(2)  # About, Preferences...
        window = self.desktop.wait_for_window("--name", "^Tugworth Preferences$")
        # As a user clicks into it before typing.
        self.desktop.xdotool("windowactivate", "--sync", window)
        return window
