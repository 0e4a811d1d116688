"""The settings file with values of the wrong kinds, in a folder that cannot be written, and on
a disk that fills up or under a file-size limit: the program starts, says what happened in one
warning line, and never loses or half-writes what the file held. How an unusable file is set
aside belongs to the settings storage's own tests."""

import contextlib
import os
import resource
import subprocess
import unittest

from desktop import Program
from faultdesk import DRAG, FaultTest

# Both visibilities off: the launch turns the menu-bar icon back on and writes the file.
NEEDS_A_WRITE = ("[General]\nenableDragging=true\nenableResizing=true\nshowInDock=false\n"
                 "showInMenuBar=false\ndragModifier=Command+Control\n"
                 "resizeModifier=Command+Control+Shift\npreferencesInitialized=true\n").encode()

WRONG_KINDS = (b"[General]\nenableDragging=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1bQPoint)\n"
               b"enableResizing=maybe\nshowInDock=12.5\nshowInMenuBar=@ByteArray(true)\n"
               b"dragModifier=42\nresizeModifier=true\npreferencesInitialized=1, 2, 3\n")


class SettingsFileTest(FaultTest):
    tray = False

    def setUp(self):
        super().setUp()
        os.makedirs(self.settings_folder())

    def write_settings(self, data):
        with open(self.settings_file(), "wb") as f:
            f.write(data)

    def read_bytes(self, path):
        with open(path, "rb") as f:
            return f.read()

    def folder_entries(self):
        return sorted(os.listdir(self.settings_folder()))

    def warnings(self, program):
        """The warnings about the settings file (without a tray there is another one)."""
        return [line for line in program.snapshot()
                if line.startswith("[WARNING] ") and self.settings_file() in line]

    def launch_and_quit(self, check=None):
        """Launches, runs `check(program)`, quits the ordinary way: the program's lines."""
        program = self.launch()
        if check:
            check(program)
        self.assertEqual(self.quit(program), 0)
        self.assert_one_line_per_diagnostic(program)
        return program


class DamagedFile(SettingsFileTest):
    def test_values_of_the_wrong_kinds_are_read_soundly_and_the_file_is_kept(self):
        self.write_settings(WRONG_KINDS)
        program = self.launch_and_quit(lambda p: self.gesture(p, DRAG, [(12, 8)]))
        self.assertEqual(self.warnings(program), [
            f"[WARNING] Ignoring the unreadable value of enableDragging in {self.settings_file()}"])
        self.assertEqual(self.read_bytes(self.settings_file()), WRONG_KINDS)
        self.assertEqual(self.folder_entries(), ["Tugworth.conf"])


class UnwritableFolder(SettingsFileTest):
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

    # A file that cannot be set aside belongs to the settings storage's own tests.
    def test_a_read_only_folder_leaves_the_file_as_it_was(self):
        self.write_settings(NEEDS_A_WRITE)
        with self.read_only_folder():
            program = self.launch_and_quit(lambda p: self.gesture(p, DRAG, [(12, 8)]))
        warnings = self.warnings(program)
        self.assertEqual(len(warnings), 1, warnings)
        self.assertIn("(the folder is not writable); changes are kept in memory for this run",
                      warnings[0])
        self.assertEqual(self.read_bytes(self.settings_file()), NEEDS_A_WRITE)
        self.assertEqual(self.folder_entries(), ["Tugworth.conf"])


class InterruptedSave(SettingsFileTest):
    WARNING = "(it could not be written in full; is the disk full?)"

    def assert_previous_file_survives(self, program, leftovers=()):
        warnings = self.warnings(program)
        self.assertEqual(len(warnings), 1, warnings)
        self.assertIn(self.WARNING, warnings[0])
        self.assertEqual(self.read_bytes(self.settings_file()), NEEDS_A_WRITE)
        self.assertEqual(self.folder_entries(), sorted(["Tugworth.conf", *leftovers]))

    def test_a_full_disk_keeps_the_previous_file_whole(self):
        folder = self.settings_folder()
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", folder],
                          capture_output=True).returncode:
            self.skipTest("cannot mount a small disk here")
        self.addCleanup(subprocess.run, ["umount", folder], check=True)
        self.write_settings(NEEDS_A_WRITE)
        filler = os.open(os.path.join(folder, "filler"), os.O_WRONLY | os.O_CREAT)
        try:
            while os.write(filler, b"\0" * 4096):
                pass
        except OSError:
            pass  # the disk is full
        finally:
            os.close(filler)
        program = self.launch_and_quit()
        self.assert_previous_file_survives(program, leftovers=["filler"])

    def test_a_file_size_limit_keeps_the_previous_file_whole_and_the_program_alive(self):
        self.write_settings(NEEDS_A_WRITE)
        # The limit is inherited: set for the program's start only, as a shell's ulimit -f.
        soft, hard = resource.getrlimit(resource.RLIMIT_FSIZE)
        resource.setrlimit(resource.RLIMIT_FSIZE, (64, hard))
        try:
            program = Program(self.desktop.env)
        finally:
            resource.setrlimit(resource.RLIMIT_FSIZE, (soft, hard))
        self.programs.append(program)
        program.wait_for_line("kAXErrorNotEnoughPrecision")
        self.assertEqual(self.quit(program), 0)
        self.assert_previous_file_survives(program)


if __name__ == "__main__":
    unittest.main()
