"""The target goes away under a gesture, the window manager is replaced under one, and the
X server dies under the program."""

import os
import unittest

from desktop import Desktop, Program, wait_until
from faultdesk import DRAG, RESIZE, FaultTest

DROPPED = "[DEBUG] Target window has gone, dropping it"
INVALID = "[ERROR] Window reference is no longer valid: -25202"

SETTINGS = ("[General]\nenableDragging=true\nenableResizing=true\nshowInDock=true\n"
            "showInMenuBar=true\ndragModifier=Command+Control\n"
            "resizeModifier=Command+Control+Shift\npreferencesInitialized=true\n")


class TargetGone(FaultTest):
    def over_the_clock(self):
        """A geometry that covers the desktop's clock, for a victim window on top of it."""
        x, y, _, _ = self.desktop.geometry(self.clock)
        return f"300x300+{max(x - 30, 0)}+{max(y - 60, 0)}"

    def take_as_target(self, program, window, keys, title):
        selected = program.count(f'Selected window: "{title}"')
        self.desktop.hold_over(program, window, keys)
        self.assertEqual(program.count(f'Selected window: "{title}"'), selected + 1)
        self.drag_by(window, 20, 10, "shift" in keys)

    def assert_dropped_and_recaptured(self, program, kill, keys):
        """With a victim window over the desktop's clock held as the target: `kill` it, and
        the next motion drops it once, the one after captures the clock, and the clock then
        follows within the same gesture."""
        counts = {text: program.count(text) for text in
                  (DROPPED, INVALID, "CAPTURE WINDOW START", 'Selected window: "xclock"')}
        kill()
        self.desktop.move_pointer_by(20, 10)
        program.wait_for_count(DROPPED, counts[DROPPED] + 1)
        self.desktop.move_pointer_by(20, 10)
        program.wait_for_count('Selected window: "xclock"', counts['Selected window: "xclock"'] + 1)
        self.drag_by(self.clock, 25, 15, "shift" in keys)
        self.release(*keys)
        self.assertEqual(program.count(DROPPED), counts[DROPPED] + 1)
        self.assertEqual(program.count(INVALID), counts[INVALID] + 1)
        self.assertEqual(program.count("CAPTURE WINDOW START"), counts["CAPTURE WINDOW START"] + 1)

    def test_an_application_killed_mid_gesture_is_dropped_and_the_gesture_goes_on(self):
        program = self.launch()
        for keys in (DRAG, RESIZE):
            with self.subTest(keys=keys):
                victim, window = self.xclock("victim", self.over_the_clock())
                self.take_as_target(program, window, keys, "victim")

                def kill():
                    victim.kill()
                    victim.wait()
                    self.wait_for_window_gone(window)

                self.assert_dropped_and_recaptured(program, kill, keys)
                self.assert_still_drags(program)
        self.assertIsNone(program.process.poll())

    def test_a_window_destroyed_between_two_motion_events_is_dropped(self):
        program = self.launch()
        process, window = self.hostile_window("doomed", geometry=self.over_the_clock())
        self.take_as_target(program, window, DRAG, "doomed")

        def destroy():
            # Another client may destroy any window; the hostile client lives on without it.
            self.desktop.xdotool("windowclose", window)
            self.wait_for_window_gone(window)

        self.assert_dropped_and_recaptured(program, destroy, DRAG)
        self.assertIsNone(process.poll())
        self.assert_still_drags(program)


class WindowManagerReplaced(FaultTest):
    def manager_check_window(self):
        return int(self.desktop.x(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]).split()[-1], 16)

    def frame_of_clock(self):
        return self.desktop.x(["xwininfo", "-children", "-id", str(self.clock)]).split(
            "Parent window id: ")[1].split()[0]

    def replace_window_manager(self):
        """Starts openbox --replace and waits until it manages the screen, clock included."""
        ready = os.path.join(self.desktop.home, "replacement-ready")
        replacement = self.desktop.spawn(["openbox", "--replace", "--startup", f"touch {ready}"])
        wait_until(lambda: os.path.exists(ready), "the new window manager")
        return replacement

    def test_a_gesture_survives_a_new_window_manager_and_none_at_all(self):
        program = self.launch()
        self.desktop.hold_over(program, self.clock, DRAG)
        self.drag_by(self.clock, 20, 20)

        old_frame = self.frame_of_clock()
        replacement = self.replace_window_manager()
        # The gesture goes on from wherever the new manager has framed the clock.
        self.assertNotEqual(self.frame_of_clock(), old_frame)
        self.drag_by(self.clock, 25, -15)
        self.release(*DRAG)
        self.assert_still_drags(program)

        new_manager = self.manager_check_window()
        replacement.terminate()
        replacement.wait()
        self.wait_for_window_gone(new_manager)
        self.assert_still_drags(program)
        self.gesture(program, RESIZE, [(20, 30)])


class XServerKilled(unittest.TestCase):
    """Each run on its own desktop: the program races Qt's own connection to notice the loss,
    so the check is made a few times."""

    RUNS = 3

    def test_the_program_ends_with_a_message_a_failure_status_and_its_settings_intact(self):
        for run in range(self.RUNS):
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
