"""The target goes away under a gesture, the window manager is replaced under one, and the
X server dies under the program."""

import os
import unittest

from desktop import Desktop, Program, wait_until
from faultdesk import DRAG, RESIZE, SETTINGS, FaultTest

DROPPED = "[DEBUG] Target window has gone, dropping it"
INVALID = "[ERROR] Window reference is no longer valid: -25202"


class TargetGone(FaultTest):
    def test_a_target_killed_mid_gesture_is_dropped_and_the_gesture_goes_on(self):
        # A victim over the desktop's clock, held as the target, is killed: the next motion
        # drops it once, the one after captures the clock, which follows in the same gesture.
        program = self.launch()
        x, y, _, _ = self.desktop.geometry(self.clock)
        victim, window = self.xclock("victim", f"300x300+{max(x - 30, 0)}+{max(y - 60, 0)}")
        self.desktop.hold_over(program, window, RESIZE)
        self.drag_by(window, 20, 10, resizing=True)
        victim.kill()
        self.wait_for_window_gone(window)
        self.desktop.move_pointer_by(20, 10)
        program.wait_for_line(DROPPED)
        self.desktop.move_pointer_by(20, 10)
        program.wait_for_line('Selected window: "xclock"')
        self.drag_by(self.clock, 25, 15, resizing=True)
        self.release(*RESIZE)
        for text, times in ((DROPPED, 1), (INVALID, 1), ("CAPTURE WINDOW START", 2),
                            ('Selected window: "victim"', 1), ('Selected window: "xclock"', 1)):
            self.assertEqual(program.count(text), times, text)
        self.assert_still_drags(program)


class WindowManagerReplaced(FaultTest):
    def frame_of_clock(self):
        return self.desktop.x(["xwininfo", "-children", "-id", str(self.clock)]).split(
            "Parent window id: ")[1].split()[0]

    def test_a_gesture_survives_a_new_window_manager_and_none_at_all(self):
        program = self.launch()
        self.desktop.hold_over(program, self.clock, DRAG)
        self.drag_by(self.clock, 20, 20)

        old_frame = self.frame_of_clock()
        ready = os.path.join(self.desktop.home, "replacement-ready")
        replacement = self.desktop.spawn(["openbox", "--replace", "--startup", f"touch {ready}"])
        wait_until(lambda: os.path.exists(ready), "the new window manager")
        # The gesture goes on from wherever the new manager has framed the clock.
        self.assertNotEqual(self.frame_of_clock(), old_frame)
        self.drag_by(self.clock, 25, -15)
        self.release(*DRAG)
        self.assert_still_drags(program)

        new_manager = int(self.desktop.x(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]).split()[-1],
                          16)
        replacement.terminate()
        replacement.wait()
        self.wait_for_window_gone(new_manager)
        self.assert_still_drags(program)
        self.gesture(program, RESIZE, [(20, 30)])


class XServerKilled(unittest.TestCase):
    def test_the_program_ends_with_a_message_a_failure_status_and_its_settings_intact(self):
        # Each run on its own desktop: the program races Qt's own connection to notice the loss.
        for run in range(3):
            with self.subTest(run=run):
                desktop = Desktop(tray=run % 2 == 0)
                self.addCleanup(desktop.close)
                folder = os.path.join(desktop.config_home, "Tugworth")
                os.makedirs(folder)
                path = os.path.join(folder, "Tugworth.conf")
                with open(path, "w", encoding="utf-8") as f:
                    f.write(SETTINGS)
                program = Program(desktop.env)
                self.addCleanup(program.stop)
                program.wait_for_line("kAXErrorNotEnoughPrecision")

                server = desktop._processes[0]  # the Desktop starts its X server first
                self.assertEqual(server.args[0], "Xvfb")
                server.kill()
                status = program.process.wait(timeout=10)
                program.stop()
                self.assertNotEqual(status, 0)
                lost = [line for line in program.snapshot() if line.startswith("[ERROR] ")]
                self.assertEqual(lost, [f"[ERROR] Lost the connection to the X server on display "
                                        f"{desktop.display}; Tugworth cannot work without it"])
                self.assertEqual(os.listdir(folder), ["Tugworth.conf"])
                with open(path, encoding="utf-8") as f:
                    self.assertEqual(f.read(), SETTINGS)


if __name__ == "__main__":
    unittest.main()
