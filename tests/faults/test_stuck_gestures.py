"""Another client takes the keyboard mid-gesture, and the chord is released while it holds
it: the gesture must end when the keys are up, not when the program next hears of them."""

import unittest

from faultdesk import DRAG, RESIZE, FaultTest, read_line


def tell(client, command):
    """Sends `command` to the helper client: its one-line answer."""
    client.stdin.write(command + "\n")
    client.stdin.flush()
    return read_line(client)


class KeyboardTakenMidGesture(FaultTest):
    def test_a_gesture_ends_when_its_keys_go_up_under_another_clients_grab(self):
        program = self.launch()
        grabber = self.client("grab_keyboard")
        self.assertEqual(read_line(grabber), "ready")
        for keys in (DRAG, RESIZE):
            with self.subTest(keys=keys):
                resizing = "shift" in keys
                self.desktop.hold_over(program, self.clock, keys)
                self.drag_by(self.clock, 20, 10, resizing)

                self.assertEqual(tell(grabber, "grab"), "grabbed")
                # Keys still held: the grab alone does not end the gesture.
                self.drag_by(self.clock, 15, 15, resizing)
                self.release(*keys)
                steps = program.count("window by dx: ")
                before = self.desktop.geometry(self.clock)
                self.desktop.move_pointer_by(40, 30)
                # Handled in order: once this chord's state is logged, so is the motion.
                marks = program.count("Modifier state: Resizing")
                self.press(*RESIZE)
                program.wait_for_count("Modifier state: Resizing", marks + 1)
                self.release(*RESIZE)
                self.assertEqual(tell(grabber, "ungrab"), "ungrabbed")

                self.assertEqual(program.count("window by dx: "), steps)
                self.assertEqual(self.desktop.geometry(self.clock), before)
                self.assert_still_drags(program)


if __name__ == "__main__":
    unittest.main()
