"""Tugworth on a real headless GNOME Shell: drags and resizes of GTK 3, Qt 6 and XWayland
windows, checked through the test reader (Mutter's own frames); the chord's release; a client
killed mid-drag; a second bus caller refused; the extension missing at start and disabled while
running. One shell for the module: it starts in about a second, but the clients take longer."""

import os
import signal
import unittest

from gi.repository import GLib

from shell import BRIDGE_UUID, CONTROL, READER_UUID, SHIFT, SUPER, Shell, wait_until

DRAG = (SUPER, CONTROL)
RESIZE = (SUPER, CONTROL, SHIFT)


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

    def open_window(self, title, argv, **env):
        client = shell.spawn(argv, **env)
        self.addCleanup(client.kill)
        # A window shows first with an empty frame, and settles in a configure or two.
        wait_until(lambda: (shell.frame(title) or (0, 0, 0))[2] > 0, f"the window {title}", 30)
        wait_until(lambda: shell.steady_frame(title), f"a steady frame of {title}")
        return client

    def gesture(self, title, keys, moves):
        """Holds `keys` over the window's middle, moves by each of `moves`, waits until Mutter
        shows the window moved (or resized, with Shift) exactly, and releases."""
        x, y, w, h = shell.frame(title)
        shell.point_at(x + w // 2, y + h // 2)
        captures = self.program.count("CAPTURE WINDOW END")
        shell.input.keys(keys, True)
        self.program.wait_for_count("CAPTURE WINDOW END", captures + 1)
        start = shell.pointer()
        for dx, dy in moves:
            shell.input.move(dx, dy)
        dx, dy = sum(m[0] for m in moves), sum(m[1] for m in moves)
        # Mutter applies input on its own thread: the pointer's arrival says it is all in.
        wait_until(lambda: shell.pointer() == (start[0] + dx, start[1] + dy), "the pointer")
        if SHIFT in keys:
            expected = (x, y, w + dx, h + dy)
        else:
            expected = (x + dx, y + dy, w, h)
        shell.wait_for_frame(title, expected)
        shell.release(keys)
        return expected

    def drag_and_resize(self, title):
        self.gesture(title, DRAG, [(40, 30), (60, 30)])
        self.gesture(title, RESIZE, [(-50, -40), (-30, -20)])  # shrink
        self.gesture(title, RESIZE, [(70, 50), (50, 30)])  # and grow
        self.assert_released_chord_does_nothing(title)

    def assert_released_chord_does_nothing(self, title):
        """The pointer moves alone; then the resize chord, unmoved, marks that the motion
        before it has been handled."""
        before = shell.frame(title)
        moves = self.program.count("Moving window by dx: ")
        resizes = self.program.count("Modifier state: Resizing")
        x, y = shell.pointer()
        shell.point_at(x - 60, y - 40)
        shell.input.keys(RESIZE, True)
        self.program.wait_for_count("Modifier state: Resizing", resizes + 1)
        shell.release(RESIZE)
        self.assertEqual(self.program.count("Moving window by dx: "), moves)
        self.assertEqual(shell.frame(title), before)

    def test_gtk3_window_on_wayland(self):
        self.open_window("gtk-drag", ["python3", os.path.join(os.path.dirname(__file__),
                                                              "gtk_window.py"),
                                      "gtk-drag", "420", "300"], GDK_BACKEND="wayland")
        self.drag_and_resize("gtk-drag")

    def test_qt6_window_on_wayland(self):
        self.open_window("qt-drag", [os.environ["TUGWORTH_QT_WINDOW"], "qt-drag", "420", "300"],
                         QT_QPA_PLATFORM="wayland")
        self.drag_and_resize("qt-drag")

    def test_xterm_through_xwayland(self):
        display, authority = shell.x_display()
        self.assertTrue(display, "XWayland did not start")
        self.open_window("xterm-drag", ["xterm", "-T", "xterm-drag", "-geometry", "60x16"],
                         DISPLAY=display, XAUTHORITY=authority)
        self.gesture("xterm-drag", DRAG, [(50, 40), (30, 20)])

    def test_client_killed_mid_drag(self):
        victim = self.open_window("victim", [os.environ["TUGWORTH_QT_WINDOW"], "victim", "300",
                                             "200"], QT_QPA_PLATFORM="wayland")
        x, y, w, h = shell.frame("victim")
        shell.point_at(x + w // 2, y + h // 2)
        shell.input.keys(DRAG, True)
        shell.input.move(20, 10)
        self.program.wait_for_line("Moving window by dx: ")
        victim.send_signal(signal.SIGKILL)
        wait_until(lambda: shell.frame("victim") is None, "the window to go")
        for _ in range(5):
            shell.input.move(10, 5)
        shell.release(DRAG)
        self.assertIsNone(self.program.process.poll(), "Tugworth ended with its target")
        self.open_window("after", [os.environ["TUGWORTH_QT_WINDOW"], "after", "300", "200"],
                         QT_QPA_PLATFORM="wayland")
        self.gesture("after", DRAG, [(40, 40)])
        self.assert_released_chord_does_nothing("after")

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
        self.open_window("again", [os.environ["TUGWORTH_QT_WINDOW"], "again", "300", "200"],
                         QT_QPA_PLATFORM="wayland")
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
