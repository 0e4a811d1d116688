"""The desktop program as a Linux user meets it: a tray that comes late, one instance per
session, the tray menu, our own window in front, help with the chords in effect, a quiet log,
the preferences and their file across runs, and the command line.
Exact drags and resizes belong to the window-manager matrix (tests/desktops)."""

import os
import subprocess
import unittest

from desktop import TUGWORTH, DesktopTest, wait_until

PREFERENCES = "^Tugworth Preferences$"


class OneInstance(DesktopTest):
    tray = False
    bus = True

    def test_a_late_tray_gets_the_icon_and_with_it_off_a_second_start_shows_the_preferences(self):
        first = self.launch()
        warnings = [line for line in first.snapshot() if line.startswith("[WARNING] ")]
        self.assertEqual(warnings, ["[WARNING] No system tray is running; the Tugworth icon "
                                    "appears when one starts. Until then, start Tugworth again "
                                    "to open its preferences"])
        self.desktop.start_tray()
        self.open_preferences()  # from the icon that came with the tray
        self.desktop.xdotool("key", "alt+y", "alt+s")  # untick the tray icon, Save
        first.wait_for_line("Saved preferences - showInDock: true, showInMenuBar: false")
        wait_until(lambda: not self.desktop.tray_icons(), "the tray icon to go")
        wait_until(lambda: not self.desktop.find_windows("--onlyvisible", "--name", PREFERENCES),
                   "the preferences window to close")
        again = subprocess.run([TUGWORTH], env=self.desktop.env, capture_output=True, text=True,
                               timeout=15)
        self.assertEqual((again.returncode, again.stdout), (0, "[INFO] Tugworth is already "
                         "running; asked it to show its preferences window\n"))
        self.desktop.wait_for_window("--name", PREFERENCES)
        first.wait_for_line("[INFO] Opened again: showing the preferences window")
        self.assertIsNone(first.process.poll())


class OneInstanceWithoutBusAndQuietLog(DesktopTest):
    def test_a_second_start_is_refused_by_the_lock_and_warnings_keep_a_drag_silent(self):
        first = self.launch("--log-level", "warning")
        again = subprocess.run([TUGWORTH], env=self.desktop.env, capture_output=True, text=True,
                               timeout=15)
        self.assertEqual(again.returncode, 1)
        self.assertTrue(again.stdout.startswith("[ERROR] Tugworth is already running (it holds "
                                                f"{self.desktop.env['XDG_RUNTIME_DIR']}/"),
                        again.stdout)
        x, y, w, h = self.desktop.geometry(self.clock)
        self.point_at_clock()
        # The X server keeps the order: the chord press is handled before the motion after it.
        self.press("super", "ctrl")
        self.desktop.move_pointer_by(40, 30)
        self.wait_for_geometry(self.clock, (x + 40, y + 30, w, h))
        self.release("super", "ctrl")
        self.assertEqual(self.quit(first), 0)
        self.assertEqual(first.snapshot(), [])


class TrayMenuAndHelp(DesktopTest):
    def test_the_tray_menu_holds_about_preferences_help_and_quit(self):
        program = self.launch()
        for position, title in ((1, "^About Tugworth$"), (2, PREFERENCES), (3, "^Tugworth Help$")):
            self.choose_from_tray_menu(position)
            window = self.desktop.wait_for_window("--name", title)
            self.desktop.xdotool("windowactivate", "--sync", window, "key", "Escape")
            wait_until(lambda: not self.desktop.find_windows("--onlyvisible", "--name", title),
                       f"{title} to close")
        self.choose_from_tray_menu(4)
        self.assertEqual(program.process.wait(timeout=15), 0)

    def test_our_window_in_front_shields_the_one_behind_and_help_names_the_chords(self):
        program = self.launch()
        preferences = self.open_preferences()
        x, y, w, h = self.desktop.geometry(self.clock)
        self.desktop.xdotool("windowmove", "--sync", preferences, x, y)
        self.point_at_clock()  # over the preferences window, the clock behind it
        self.press("super", "ctrl")
        program.wait_for_line("A Tugworth window is in front under the cursor")
        self.desktop.move_pointer_by(30, 20)
        self.press("shift")  # a state change: the motion before it has been handled
        program.wait_for_count("Modifier state: Resizing", 1)
        self.release("super", "ctrl", "shift")
        self.assertEqual(self.desktop.geometry(self.clock), (x, y, w, h))

        self.open_preferences()
        self.desktop.xdotool("key", "alt+c", "Down", "alt+s")  # drag chord Option+Control, Save
        program.wait_for_line("Saved preferences")
        preferences = self.open_preferences()
        self.choose_from_tray_menu(3)
        help_box = self.desktop.wait_for_window("--name", "^Tugworth Help$")
        self.desktop.xdotool("windowactivate", "--sync", help_box, "key", "ctrl+c")
        text = wait_until(lambda: self.desktop.x(["xclip", "-o", "-selection", "clipboard"],
                                                  check=False), "the help text")
        self.assertIn("Hold Option+Control (Alt+Ctrl) and move", text)
        self.assertIn("Hold Command+Control+Shift (Super+Ctrl+Shift) and move", text)

        stacking = self.desktop.x(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"])
        order = [int(w, 16) for w in stacking.split("#", 1)[1].replace(",", " ").split()]
        self.assertGreater(order.index(help_box), order.index(preferences))
        state = self.desktop.x(["xprop", "-id", str(preferences), "_NET_WM_STATE"])
        self.assertNotIn("_NET_WM_STATE_ABOVE", state)


class PreferencesAcrossRuns(DesktopTest):
    def test_a_restart_keeps_every_saved_value_from_the_keyboard(self):
        program = self.launch()
        self.open_preferences()
        # Drag chord one down (Option+Control), resize chord one down (Option+Control+Shift),
        # resizing off, Dock (task bar) off; then Save.
        self.desktop.xdotool("key", "alt+c", "Down", "alt+z", "Down", "alt+r", "alt+t", "alt+s")
        program.wait_for_line("Saved preferences - showInDock: false, showInMenuBar: true")
        self.assertEqual(self.quit(program), 0)

        with open(self.settings_file(), encoding="utf-8") as f:
            saved = dict(line.strip().split("=", 1) for line in f if "=" in line)
        self.assertEqual(saved, {
            "enableDragging": "true", "enableResizing": "false",
            "showInDock": "false", "showInMenuBar": "true",
            "dragModifier": "Option+Control", "resizeModifier": "Option+Control+Shift",
            "preferencesInitialized": "true"})

        program = self.launch()
        # The saved drag chord drags; that resizing is off then is the core's to decide.
        self.gesture(program, ("alt", "ctrl"), [(24, 18)])

        window = self.open_preferences()
        program.wait_for_line("Loaded preferences - showInDock: false, showInMenuBar: true")
        # Hidden from the Dock: our windows stay out of task bars.
        state = self.desktop.x(["xprop", "-id", str(window), "_NET_WM_STATE"])
        self.assertIn("_NET_WM_STATE_SKIP_TASKBAR", state)


class CommandLine(unittest.TestCase):
    def run_program(self, *arguments):
        return subprocess.run([TUGWORTH, *arguments], capture_output=True, text=True,
                              timeout=15, env=dict(os.environ, DISPLAY=""))

    def test_version_help_and_arguments_it_does_not_know(self):
        version, usage, refused = map(self.run_program, ("--version", "--help", "--frobnicate"))
        self.assertEqual((version.returncode, version.stdout),
                         (0, f"tugworth {os.environ['TUGWORTH_VERSION']}\n"))
        self.assertEqual(usage.returncode, 0)
        self.assertTrue(usage.stdout.startswith("Usage: tugworth [OPTION]...\n"))
        for option in ("--log-level LEVEL", "--version", "--help"):
            self.assertIn(f"\n  {option} ", usage.stdout)
        # Which arguments are refused belongs to the parser's own test.
        self.assertEqual((refused.returncode, refused.stdout), (2, ""))
        self.assertIn(usage.stdout, refused.stderr)


if __name__ == "__main__":
    unittest.main()
