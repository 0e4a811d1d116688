"""The settings file damaged, in a folder that cannot be written, and under a file-size limit:
the program starts, says what happened in one warning line, and never loses or half-writes
what the file held."""

import contextlib
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


class SettingsFileTest(FaultTest):
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

    def warnings(self, program):
        """The warnings about the settings file (without a tray there is another one)."""
        return [line for line in program.snapshot()
                if line.startswith("[WARNING] ") and self.settings_file() in line]

    def quit_cleanly(self, program):
        self.assertEqual(self.quit(program), 0)
        self.assert_one_line_per_diagnostic(program)
        return self.warnings(program)


class DamagedFileOrWrite(SettingsFileTest):
    def test_a_damaged_file_is_reported_and_kept_whole(self):
        path = re.escape(self.settings_file())
        for data, warning in ((WRONG_KINDS, f"Ignoring the unreadable value of enableDragging in "
                                            f"{path}$"),
                              (UNPARSABLE, f"Settings file {path} was not used because it is not "
                                           f"a valid settings file; moved it to {path}"
                                           r"\.corrupt-\d{8}-\d{6} and started on the default")):
            with self.subTest(warning):
                self.write_settings(data)
                program = self.launch()
                self.gesture(program, DRAG, [(12, 8)])
                warnings = self.quit_cleanly(program)
                self.assertEqual(len(warnings), 1, warnings)
                self.assertRegex(warnings[0], "^\\[WARNING\\] " + warning)
                # Kept whole: read where it is, or moved aside under the name the warning gives.
                [(name, contents)] = self.folder().items()
                self.assertIn(os.path.join(self.settings_folder(), name), warnings[0])
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


class ReadOnlyFolder(SettingsFileTest):
    tray = True  # for the preferences window

    @contextlib.contextmanager
    def read_only_folder(self):
        """Permissions do not bind root: then a read-only bind mount, where mounting works."""
        folder = self.settings_folder()
        if os.geteuid() != 0:
            os.chmod(folder, 0o555)
            try:
                yield
            finally:
                os.chmod(folder, 0o755)
            return
        if subprocess.run(["mount", "--bind", folder, folder], capture_output=True).returncode:
            self.skipTest("cannot make a read-only folder here: root, and mount is refused")
        try:
            subprocess.run(["mount", "-o", "remount,bind,ro", folder], check=True)
            yield
        finally:
            subprocess.run(["umount", folder], check=True)

    def test_a_read_only_folder_keeps_the_file_for_the_whole_run(self):
        # A file that could not be set aside stays untouched even when a later save finds
        # the folder writable again: it may be all the user has of their settings.
        for data, warning, save_later in (
                (NEEDS_A_WRITE, "(the folder is not writable); changes are kept in memory", False),
                (UNPARSABLE, "could not be moved aside; started on the default settings", True)):
            with self.subTest(warning):
                self.write_settings(data)
                with contextlib.ExitStack() as read_only:
                    read_only.enter_context(self.read_only_folder())
                    program = self.launch()
                    self.gesture(program, DRAG, [(12, 8)])
                    if save_later:
                        read_only.close()
                        self.open_preferences()
                        self.desktop.xdotool("key", "alt+r", "alt+s")  # resizing off; Save
                        program.wait_for_line("Saved preferences")
                    warnings = self.quit_cleanly(program)
                self.assertEqual(len(warnings), 1, warnings)
                self.assertIn(warning, warnings[0])
                self.assertEqual(self.folder(), {"Tugworth.conf": data})


if __name__ == "__main__":
    unittest.main()
