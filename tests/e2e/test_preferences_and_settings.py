"""The preferences window driven from the keyboard, and the settings file across runs."""

import unittest

from desktop import DesktopTest


class Preferences(DesktopTest):
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
        self.desktop.wait_for_tray_icon()

        # The saved drag chord drags; that resizing is off then is the core's to decide.
        self.gesture(program, ("alt", "ctrl"), [(24, 18)])

        window = self.open_preferences()
        program.wait_for_line("Loaded preferences - showInDock: false, showInMenuBar: true")
        # Hidden from the Dock: our windows stay out of task bars.
        state = self.desktop.x(["xprop", "-id", str(window), "_NET_WM_STATE"])
        self.assertIn("_NET_WM_STATE_SKIP_TASKBAR", state)


if __name__ == "__main__":
    unittest.main()
