"""The settings file damaged, in a folder that cannot be written, and under a file-size limit:
the program starts, says what happened in one warning line, and never loses or half-writes
what the file held."""

import os
import re
import resource
import subprocess
import unittest

from desktop import Program
from faultdesk import DRAG, SETTINGS, FaultTest

# Both visibilities off: the launch turns the menu-bar icon back on and writes the file.
NEEDS_A_WRITE = SETTINGS.replace("=true\nshowInDock=true\nshowInMenuBar=true",
                                 "=true\nshowInDock=false\nshowInMenuBar=false").encode()

WRONG_KINDS = (b"[General]\nenableDragging=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1bQPoint)\n"
               b"enableResizing=maybe\nshowInDock=12.5\nshowInMenuBar=@ByteArray(true)\n"
               b"dragModifier=42\nresizeModifier=true\npreferencesInitialized=1, 2, 3\n")

UNPARSABLE = b"[General\nenableDragging=false\n"


class SettingsFile(FaultTest):
    tray = False

    def setUp(self):
        super().setUp()
        os.makedirs(self.settings_folder())

    def write_settings(self, data):
        for name in os.listdir(self.settings_folder()):
            os.remove(os.path.join(self.settings_folder(), name))
        with open(self.settings_file(), "wb") as f:
            f.write(data)

    def folder(self):
        """Every file in the settings folder with its bytes."""
        files = {}
        for name in os.listdir(self.settings_folder()):
            with open(os.path.join(self.settings_folder(), name), "rb") as f:
                files[name] = f.read()
        return files

    def quit_cleanly(self, program):
        """The warnings about the settings file (without a tray there is another one)."""
        self.assertEqual(self.quit(program), 0)
        self.assert_one_line_per_diagnostic(program)
        return [line for line in program.snapshot()
                if line.startswith("[WARNING] ") and self.settings_file() in line]

    def lock_folder(self, locked):
        """Permissions do not bind root: the immutable flag does."""
        folder = self.settings_folder()
        if os.geteuid() != 0:
            os.chmod(folder, 0o555 if locked else 0o755)
        elif subprocess.run(["chattr", "+i" if locked else "-i", folder]).returncode:
            self.skipTest("cannot make a folder read-only here")

    def test_a_damaged_or_unwritable_file_is_reported_and_kept_whole(self):
        path = re.escape(self.settings_file())
        for data, warning, locked in (
                (WRONG_KINDS, f"Ignoring the unreadable value of enableDragging in {path}$", False),
                (UNPARSABLE, f"Settings file {path} was not used because it is not a valid "
                             f"settings file; moved it to {path}"
                             r"\.corrupt-\d{8}-\d{6} and started on the default", False),
                (NEEDS_A_WRITE, f"Cannot write the settings file {path} \\(the folder is not "
                                r"writable\); changes are kept in memory for this run$", True)):
            with self.subTest(warning):
                self.write_settings(data)
                if locked:
                    self.lock_folder(True)
                    self.addCleanup(self.lock_folder, False)
                program = self.launch()
                self.gesture(program, DRAG, [(12, 8)])
                warnings = self.quit_cleanly(program)
                self.lock_folder(False)
                self.assertEqual(len(warnings), 1, warnings)
                self.assertRegex(warnings[0], "^\\[WARNING\\] " + warning)
                # Kept whole: read where it is, or moved aside under the name the warning gives.
                [(name, contents)] = self.folder().items()
                self.assertIn(os.path.join(self.settings_folder(), name), warnings[0])
                self.assertEqual(name != "Tugworth.conf", data is UNPARSABLE, name)
                self.assertEqual(contents, data)

    def test_a_save_cut_short_keeps_the_previous_file_whole_and_the_program_alive(self):
        # A file-size limit, as a shell's ulimit -f, fails the write as a full disk does, and
        # would kill the program by SIGXFSZ. The limit is inherited: set for the start only.
        self.write_settings(NEEDS_A_WRITE)
        soft, hard = resource.getrlimit(resource.RLIMIT_FSIZE)
        resource.setrlimit(resource.RLIMIT_FSIZE, (64, hard))
        try:
            program = Program(self.desktop.env)
        finally:
            resource.setrlimit(resource.RLIMIT_FSIZE, (soft, hard))
        self.programs.append(program)
        program.wait_for_line("kAXErrorNotEnoughPrecision")
        warnings = self.quit_cleanly(program)
        self.assertEqual(len(warnings), 1, warnings)
        self.assertIn("(it could not be written in full; is the disk full?)", warnings[0])
        self.assertEqual(self.folder(), {"Tugworth.conf": NEEDS_A_WRITE})


if __name__ == "__main__":
    unittest.main()
