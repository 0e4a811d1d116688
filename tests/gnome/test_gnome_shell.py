"""Tugworth on a real headless GNOME Shell: drags and resizes of GTK 3, Qt 6 and XWayland
windows, checked through the test reader (Mutter's own frames); the chord's release; a client
killed mid-drag; a second bus caller refused; the extension disabled while running and missing
at start. One shell for the module: it starts in about a second, but the clients take longer."""

import os
import signal
import time
import unittest

from gi.repository import GLib

from shell import BRIDGE_UUID, CONTROL, READER_UUID, SHIFT, SUPER, Shell, wait_until

DRAG = (SUPER, CONTROL)
RESIZE = (SUPER, CONTROL, SHIFT)
QT_WINDOW = os.environ["TUGWORTH_QT_WINDOW"]


def setUpModule():
    global shell
    shell = Shell(os.environ["TUGWORTH_PREFIX"])


def tearDownModule():
    shell.close()


class GnomeShellTest(unittest.TestCase):
    def setUp(self):
        self.program = shell.launch()
        self.addCleanup(self.program.stop)
        self.program.wait_for_line("kAXErrorNotEnoughPrecision")
        # A failed test must not leave the next one with keys held.
        self.addCleanup(shell.release, RESIZE)

    def open_window(self, title, argv=None, **env):
        """A Qt 6 window unless told; waits until its frame holds still for a third of a second
        (a window shows first with an empty frame, and settles in a configure or two)."""
        if argv is None:
            argv, env = [QT_WINDOW, title, "300", "200"], {"QT_QPA_PLATFORM": "wayland"}
        client = shell.spawn(argv, **env)
        self.addCleanup(client.kill)

        def steady():
            before = shell.frame(title)
            time.sleep(0.3)
            return before and before[2] > 0 and shell.frame(title) == before
        wait_until(steady, f"a steady frame of the window {title}", 30)
        return client

    def gesture(self, title, keys, moves):
        """Holds `keys` over the window's middle, moves by each of `moves`, waits until Mutter
        shows the window moved (or resized, with Shift) exactly, and releases."""
        x, y, w, h = shell.frame(title)
        shell.point_at(x + w // 2, y + h // 2)
        captures = self.program.count("CAPTURE WINDOW END")
        shell.keys(keys, True)
        self.program.wait_for_count("CAPTURE WINDOW END", captures + 1)
        start = shell.pointer()
        for dx, dy in moves:
            shell.move(dx, dy)
        dx, dy = sum(m[0] for m in moves), sum(m[1] for m in moves)
        # Mutter applies input on its own thread: the pointer's arrival says it is all in.
        wait_until(lambda: shell.pointer() == (start[0] + dx, start[1] + dy), "the pointer")
        expected = (x, y, w + dx, h + dy) if SHIFT in keys else (x + dx, y + dy, w, h)
        wait_until(lambda: shell.frame(title) == expected, f"{title} at {expected}", 10)
        shell.release(keys)

    def test_drags_and_resizes_each_kind_of_window(self):
        """GTK 3 draws its frame inside a larger surface (shadows); xterm's size goes by whole
        characters, so it is only dragged."""
        display, authority = shell.read("XDisplay")  # empty before XWayland starts
        self.assertTrue(display, "XWayland did not start")
        for title, argv, env, resize in (
                ("gtk", ["zenity", "--text-info", "--title", "gtk", "--width", "420",
                         "--height", "300"], {"GDK_BACKEND": "wayland"}, [(-50, -40), (-30, -20)]),
                ("qt", None, {}, [(70, 50), (50, 30)]),
                ("xterm", ["xterm", "-T", "xterm", "-geometry", "60x16"],
                 {"DISPLAY": display, "XAUTHORITY": authority}, None)):
            with self.subTest(title):
                self.open_window(title, argv, **env)
                self.gesture(title, DRAG, [(40, 30), (60, 30)])
                if resize:
                    self.gesture(title, RESIZE, resize)

        # Released, the chord moves nothing; the resize chord held still then marks that the
        # pointer's motion before it has been handled.
        before = shell.frame("xterm")
        moves = self.program.count("Moving window by dx: ")
        resizes = self.program.count("Modifier state: Resizing")
        x, y = shell.pointer()
        shell.point_at(x - 60, y - 40)
        shell.keys(RESIZE, True)
        self.program.wait_for_count("Modifier state: Resizing", resizes + 1)
        shell.release(RESIZE)
        self.assertEqual(self.program.count("Moving window by dx: "), moves)
        self.assertEqual(shell.frame("xterm"), before)

    def test_client_killed_mid_drag(self):
        victim = self.open_window("victim")
        x, y, w, h = shell.frame("victim")
        shell.point_at(x + w // 2, y + h // 2)
        shell.keys(DRAG, True)
        shell.move(20, 10)
        self.program.wait_for_line("Moving window by dx: ")
        victim.send_signal(signal.SIGKILL)
        wait_until(lambda: shell.frame("victim") is None, "the window to go")
        for _ in range(5):
            shell.move(10, 5)
        shell.release(DRAG)
        self.assertIsNone(self.program.process.poll(), "Tugworth ended with its target")
        self.open_window("after")
        self.gesture("after", DRAG, [(40, 40)])

    def test_second_bus_caller_refused(self):
        with self.assertRaises(GLib.Error) as refused:
            shell.call("org.gnome.Shell", "/org/tugworth/ShellBridge",
                       "org.tugworth.ShellBridge1", "Windows")
        self.assertIn("AccessDenied", str(refused.exception))

    def test_zz_extension_disabled_while_running(self):
        shell.set_extensions([READER_UUID])
        self.program.wait_for_line("[ERROR] The GNOME Shell extension tugworth@tugworth.org was "
                                   "disabled")
        self.assertIsNone(self.program.process.poll())
        # Enabled again, it serves the running program again.
        shell.set_extensions([BRIDGE_UUID, READER_UUID])
        self.open_window("again")
        self.gesture("again", DRAG, [(30, 20)])
        self.assertEqual(self.program.stop(), 0)
        shell.set_extensions([READER_UUID])
        # Started without it: one line that says what to run, and status 1.
        program = shell.launch()
        self.assertEqual(program.process.wait(timeout=30), 1)
        errors = [line for line in program.snapshot() if line.startswith("[ERROR]")]
        self.assertEqual(len(errors), 1, program.snapshot())
        self.assertIn(f'"gnome-extensions enable {BRIDGE_UUID}"', errors[0])
        shell.set_extensions([BRIDGE_UUID, READER_UUID])


if __name__ == "__main__":
    unittest.main()
