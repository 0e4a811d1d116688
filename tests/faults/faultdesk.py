"""What the fault tests share beyond tests/e2e/desktop.py: the helper clients built beside
them, dragging a given window, and the check that the log is still one line per diagnostic."""

import os
import re
import select
import subprocess

from desktop import WAIT_SECONDS, DesktopTest, Timeout, wait_until

CLIENTS = os.environ.get("TUGWORTH_FAULT_CLIENTS", "")

# A diagnostic with its level tag, or a row of the result-code table written at launch.
DIAGNOSTIC = re.compile(r"\[(DEBUG|INFO|WARNING|ERROR|SUCCESS)\] \S|kAXError\w+: -?\d+")
CONTROL = re.compile(r"[\x00-\x1f\x7f]")

# A whole settings file, as the program writes it.
SETTINGS = ("[General]\nenableDragging=true\nenableResizing=true\nshowInDock=true\n"
            "showInMenuBar=true\ndragModifier=Command+Control\n"
            "resizeModifier=Command+Control+Shift\npreferencesInitialized=true\n")

DRAG = ("super", "ctrl")
RESIZE = ("super", "ctrl", "shift")


def read_line(process, seconds=WAIT_SECONDS):
    """The next line a helper client writes, waiting at most `seconds`."""
    ready, _, _ = select.select([process.stdout], [], [], seconds)
    if not ready:
        raise Timeout(f"{process.args[0]} said nothing for {seconds:.0f} s")
    return process.stdout.readline().rstrip("\n")


def stop(process):
    if process.poll() is None:
        process.kill()
    process.wait()
    for stream in (process.stdin, process.stdout):
        if stream:
            stream.close()


class FaultTest(DesktopTest):
    def client(self, name, *args):
        """Starts helper client `name` with `args` on this desktop; it ends with the test."""
        process = subprocess.Popen([os.path.join(CLIENTS, "fault_" + name), *args],
                                   env=self.desktop.env, stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, text=True, errors="replace")
        self.addCleanup(stop, process)
        return process

    def hostile_window(self, name, *options, geometry="300x200+700+300"):
        """A window of the hostile client, titled `name`: its process and its window."""
        process = self.client("hostile_window", "--name", name, "--geometry", geometry, *options)
        self.assertEqual(read_line(process), "ready")
        return process, self.desktop.wait_for_window("--name", f"^{re.escape(name)}$")

    def xclock(self, title, geometry):
        process = self.desktop.spawn(["xclock", "-title", title, "-geometry", geometry])
        return process, self.desktop.wait_for_window("--name", f"^{title}$")

    def drag_by(self, window, dx, dy, resizing=False):
        """Moves the pointer by (dx, dy) and waits until `window` has followed exactly."""
        x, y, w, h = self.desktop.geometry(window)
        self.desktop.move_pointer_by(dx, dy)
        expected = (x, y, w + dx, h + dy) if resizing else (x + dx, y + dy, w, h)
        self.wait_for_geometry(window, expected)

    def assert_still_drags(self, program):
        """The program still answers: a fresh drag moves the desktop's own clock."""
        self.gesture(program, DRAG, [(15, 10)])

    def assert_one_line_per_diagnostic(self, program, longest=64 * 1024):
        for line in program.snapshot():
            self.assertRegex(line, DIAGNOSTIC)
            self.assertIsNone(CONTROL.search(line), repr(line[:200]))
            self.assertLessEqual(len(line), longest, line[:200])

    def wait_for_window_gone(self, window):
        wait_until(lambda: subprocess.run(["xwininfo", "-id", str(window)], env=self.desktop.env,
                                          capture_output=True).returncode != 0,
                   f"window {window} to go away")
