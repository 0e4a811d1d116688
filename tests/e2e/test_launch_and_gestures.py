"""The program on a real X server: a tray that comes late, and the end of a gesture. Exact
drags and resizes belong to the window-manager matrix (tests/desktops); the launch and quit to
the tray-menu test."""

import unittest

from desktop import DesktopTest

class LaunchWithoutTray(DesktopTest):
    tray = False

    def test_a_missing_tray_is_reported_and_the_icon_comes_when_one_starts(self):
        program = self.launch()
        warnings = [line for line in program.snapshot() if line.startswith("[WARNING] ")]
        self.assertEqual(warnings, ["[WARNING] No system tray is running; the Tugworth icon "
                                    "appears when one starts. Until then, start Tugworth again "
                                    "to open its preferences"])
        self.desktop.start_tray()
        self.desktop.wait_for_tray_icon()


class Gestures(DesktopTest):
    def test_releasing_the_chord_ends_the_gesture(self):
        program = self.launch()
        x, y, w, h = self.desktop.geometry(self.clock)
        self.desktop.hold_over(program, self.clock, ("super", "ctrl"))
        self.desktop.move_pointer_by(20, 20)
        after_release = (x + 20, y + 20, w, h)
        self.wait_for_geometry(self.clock, after_release)
        self.release("super", "ctrl")
        moves = program.count("Moving window by dx: ")

        self.desktop.move_pointer_by(50, 50)
        # Events are handled in order: once the next chord press is logged, the motion
        # made after the release has been seen.
        self.press("super", "ctrl")
        program.wait_for_count("Modifier state: Dragging", 2)
        self.release("super", "ctrl")
        self.assertEqual(program.count("Moving window by dx: "), moves)
        self.assertEqual(self.desktop.geometry(self.clock), after_release)


if __name__ == "__main__":
    unittest.main()
