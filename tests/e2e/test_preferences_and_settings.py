"""The preferences window driven from the keyboard, and the settings file across runs,
including a file that cannot be parsed and a folder that cannot be written."""

import glob
import os
import unittest

from desktop import DesktopTest


class Preferences(DesktopTest):
    def test_switching_dragging_off_is_saved_and_applies_at_the_next_press(self):
        program = self.launch()
        self.open_preferences()
        program.wait_for_line("Loaded preferences - showInDock: true, showInMenuBar: true")
        self.desktop.xdotool("key", "alt+d", "alt+s")  # untick "Enable dragging", Save
        program.wait_for_line("Saved preferences - showInDock: true, showInMenuBar: true")
        self.assertEqual(self.read_settings()["enableDragging"], "false")
        self.assertEqual(self.desktop.find_windows("--onlyvisible", "--name", "^Tugworth Preferences$"), [])
        self.assert_chord_does_not_drag(program, ("super", "ctrl"))

    def test_a_restart_keeps_every_saved_value(self):
        program = self.launch()
        self.open_preferences()
        # Drag chord one down (Option+Control), resize chord one down (Option+Control+Shift),
        # resizing off, Dock (task bar) off; then Save.
        self.desktop.xdotool("key", "alt+c", "Down", "alt+z", "Down", "alt+r", "alt+t", "alt+s")
        program.wait_for_line("Saved preferences - showInDock: false, showInMenuBar: true")
        self.assertEqual(self.quit(program), 0)

        self.assertEqual(self.read_settings(), {
            "enableDragging": "true", "enableResizing": "false",
            "showInDock": "false", "showInMenuBar": "true",
            "dragModifier": "Option+Control", "resizeModifier": "Option+Control+Shift",
            "preferencesInitialized": "true"})

        program = self.launch()
        lines = program.snapshot()
        self.assertIn("[DEBUG] Setting initial dock visibility: hidden", lines)
        self.assertIn("[DEBUG] Loading preferences - showInDock: false, showInMenuBar: true", lines)
        self.assertIn("[DEBUG] Dock visibility already correct: hidden", lines)
        self.desktop.wait_for_tray_icon()

        # The saved drag chord drags.
        self.gesture(program, ("alt", "ctrl"), [(24, 18)])
        # Resizing is off: its chord enters no gesture. The drag chord pressed after it is
        # the marker that it has been handled.
        self.press("alt", "ctrl", "shift")
        self.release("shift")
        program.wait_for_count("Modifier state: Dragging", 2)
        self.release("alt", "ctrl")
        self.assertEqual(program.count("Modifier state: Resizing"), 0)

        window = self.open_preferences()
        program.wait_for_line("Loaded preferences - showInDock: false, showInMenuBar: true")
        # Hidden from the Dock: our windows stay out of task bars.
        state = self.desktop.x(["xprop", "-id", str(window), "_NET_WM_STATE"])
        self.assertIn("_NET_WM_STATE_SKIP_TASKBAR", state)


class SettingsFaults(DesktopTest):
    def test_an_unparsable_file_is_moved_aside_and_the_defaults_are_used(self):
        os.makedirs(self.settings_folder())
        garbage = b"[General]\nenableDragging=false\nthis is not a settings line\n"
        with open(self.settings_file(), "wb") as f:
            f.write(garbage)

        program = self.launch()
        warnings = [line for line in program.snapshot() if line.startswith("[WARNING] ")]
        self.assertEqual(len(warnings), 1, warnings)
        self.assertIn(self.settings_file(), warnings[0])
        aside = glob.glob(self.settings_file() + ".corrupt-*")
        self.assertEqual(len(aside), 1)
        with open(aside[0], "rb") as f:
            self.assertEqual(f.read(), garbage)
        # The defaults: dragging on, whatever the unreadable file said.
        self.gesture(program, ("super", "ctrl"), [(16, 12)])

    def test_an_unwritable_folder_is_reported_once_and_the_values_kept_in_memory(self):
        # A file where the settings folder should be: not writable, even for root.
        with open(self.settings_folder(), "w", encoding="utf-8") as f:
            f.write("in the way\n")

        program = self.launch()
        self.open_preferences()
        self.desktop.xdotool("key", "alt+d", "alt+s")  # dragging off, Save
        program.wait_for_count("Saved preferences", 1)
        warnings = [line for line in program.snapshot() if line.startswith("[WARNING] ")]
        self.assertEqual(len(warnings), 1, warnings)
        self.assertIn(self.settings_file(), warnings[0])
        self.assert_chord_does_not_drag(program, ("super", "ctrl"))

        self.open_preferences()
        self.desktop.xdotool("key", "alt+s")
        program.wait_for_count("Saved preferences", 2)
        self.assertEqual(len([l for l in program.snapshot() if l.startswith("[WARNING] ")]), 1)
        self.assertFalse(os.path.isdir(self.settings_folder()))


if __name__ == "__main__":
    unittest.main()
