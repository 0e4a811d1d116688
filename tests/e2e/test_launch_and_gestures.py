"""The program on a real X server: its launch, its tray icon, and the two gestures."""

import unittest

from desktop import DesktopTest

LAUNCH_ORDER = [
    "[DEBUG] Setting initial dock visibility: visible",
    "[DEBUG] Application launched",
    "[DEBUG] Accessibility permissions granted",
    "[DEBUG] Setting up event monitoring...",
    "[DEBUG] Loading preferences - showInDock: true, showInMenuBar: true",
    "[DEBUG] Dock visibility already correct: visible",
    "[DEBUG] AX Error codes:",
    "kAXErrorSuccess: 0",
    "kAXErrorFailure: -25200",
]


class Launch(DesktopTest):
    def test_launch_writes_its_lines_in_order_and_shows_a_tray_icon(self):
        program = self.launch()
        lines = program.snapshot()
        self.assertEqual(lines[:len(LAUNCH_ORDER)], LAUNCH_ORDER)
        self.assertEqual(lines[len(LAUNCH_ORDER) + 13], "kAXErrorNotEnoughPrecision: -25214")
        self.assertEqual(sum(1 for line in lines if line == "[DEBUG] AX Error codes:"), 1)
        _, _, _, width, height = self.desktop.wait_for_tray_icon()
        self.assertGreater(width * height, 0)

        self.assertEqual(self.quit(program), 0)
        self.assertEqual(program.snapshot()[-1],
                         "[DEBUG] Application will terminate - saving preferences")


class Gestures(DesktopTest):
    def test_drag_moves_the_window_by_exactly_the_pointer_delta(self):
        program = self.launch()
        x, y, w, h = self.desktop.geometry(self.clock)
        self.start_gesture(program, ("super", "ctrl"), "Dragging")
        start = self.desktop.pointer()
        for dx, dy in ((25, 10), (-7, 31), (40, -12)):
            self.desktop.move_pointer_by(dx, dy)
        end = self.desktop.pointer()
        self.wait_for_geometry(self.clock, (x + end[0] - start[0], y + end[1] - start[1], w, h))
        self.assertGreater(program.count("Moving window by dx: "), 0)
        self.release("super", "ctrl")

    def test_adding_shift_resizes_with_the_top_left_corner_fixed(self):
        program = self.launch()
        x, y, w, h = self.desktop.geometry(self.clock)
        self.start_gesture(program, ("super", "ctrl", "shift"), "Resizing")
        start = self.desktop.pointer()
        self.desktop.move_pointer_by(30, 20)
        self.desktop.move_pointer_by(15, 25)
        end = self.desktop.pointer()
        self.wait_for_geometry(self.clock, (x, y, w + end[0] - start[0], h + end[1] - start[1]))
        self.release("super", "ctrl", "shift")

    def test_releasing_the_chord_ends_the_gesture(self):
        program = self.launch()
        x, y, w, h = self.desktop.geometry(self.clock)
        self.start_gesture(program, ("super", "ctrl"), "Dragging")
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
