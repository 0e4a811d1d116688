"""A private headless GNOME Shell for end-to-end tests: its own system and session buses,
runtime folder and home, Tugworth's extension installed from the build, a test-only reader of
what Mutter shows, and input through Mutter's RemoteDesktop API as a user would give it.

Every wait is a bounded poll on a condition; nothing sleeps for a fixed time and then assumes.
"""

import os
import shutil
import subprocess
import sys
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
import desktop  # noqa: E402
from desktop import Processes, Program, Timeout, wait_until  # noqa: E402,F401

HERE = os.path.dirname(os.path.abspath(__file__))
BRIDGE_UUID = "tugworth@tugworth.org"
READER_UUID = "tugworth-test-reader@tugworth.org"
SUPER, CONTROL, SHIFT, ESCAPE = 0xFFEB, 0xFFE3, 0xFFE1, 0xFF1B  # keysyms

SYSTEM_BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:dir={dir}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
  </policy>
</busconfig>
"""


class Shell(Processes):
    """GNOME Shell on a 1280x800 virtual monitor, torn down with everything it started."""

    def __init__(self, prefix):
        """`prefix`: where the build is installed (the program and the extension)."""
        super().__init__("tugworth-gnome-")
        self.log_path = os.path.join(self.home, "shell.log")
        self._log = open(self.log_path, "w")
        try:
            self._start(prefix)
        except BaseException:
            print(self.log_tail(), file=sys.stderr)
            self.close()
            raise

    def log_tail(self, lines=40):
        with open(self.log_path, errors="replace") as log:
            return "".join(log.readlines()[-lines:])

    def _start(self, prefix):
        self.prefix = prefix
        self.program = os.path.join(self.prefix, "bin", "tugworth")
        data = os.path.join(self.home, "data")
        shutil.copytree(os.path.join(HERE, "reader"),
                        os.path.join(data, "gnome-shell", "extensions", READER_UUID))
        runtime = os.path.join(self.home, "runtime")
        os.mkdir(runtime, 0o700)
        self.env = dict(os.environ, HOME=self.home, XDG_RUNTIME_DIR=runtime, XDG_DATA_HOME=data,
                        XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                        XDG_CACHE_HOME=os.path.join(self.home, "cache"),
                        XDG_DATA_DIRS=os.path.join(self.prefix, "share") + ":/usr/share",
                        XDG_CURRENT_DESKTOP="GNOME", XDG_SESSION_TYPE="wayland", NO_AT_BRIDGE="1")
        for variable in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "GDK_BACKEND"):
            self.env.pop(variable, None)
        # GNOME Shell's login-manager code needs a system bus: a private one.
        config = os.path.join(self.home, "system.conf")
        with open(config, "w") as f:
            f.write(SYSTEM_BUS_CONFIG.format(dir=self.home))
        # Their output, and that of the services they start, goes to the log: none may hold the
        # test runner's pipes open.
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = self.start_bus("--config-file", config,
                                                             output=self._log)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.start_bus("--session", output=self._log)
        self.bus = Gio.DBusConnection.new_for_address_sync(
            self.env["DBUS_SESSION_BUS_ADDRESS"],
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
            Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        self.set_extensions([BRIDGE_UUID, READER_UUID])
        self.spawn(["gnome-shell", "--headless", "--virtual-monitor", "1280x800", "--wayland"],
                   output=self._log)
        wait_until(lambda: self._answers(), "GNOME Shell with the test reader", 60)
        self.env["WAYLAND_DISPLAY"] = "wayland-0"
        self.input = RemoteDesktop(self.bus)
        # GNOME Shell starts in the overview; the user leaves it for the desktop.
        wait_until(self._leave_overview, "the overview to close")

    def _leave_overview(self):
        if not self._read("OverviewShown")[0]:
            time.sleep(0.5)  # closed for good, not between two steps of starting up
            return not self._read("OverviewShown")[0]
        self.input.keys([ESCAPE], True)
        self.input.keys([ESCAPE], False)
        time.sleep(0.2)  # the overview's animation, before asking again
        return False

    def _answers(self):
        try:
            self.frames()
            return True
        except GLib.Error:
            return False

    def close(self):
        if getattr(self, "input", None):
            self.input.close()
        super().close(seconds=10)
        self._log.close()

    def set_extensions(self, uuids):
        subprocess.run(["gsettings", "set", "org.gnome.shell", "enabled-extensions", str(uuids)],
                       env=self.env, check=True)

    def call(self, destination, path, interface, method, args=None, timeout_ms=5000):
        reply = self.bus.call_sync(destination, path, interface, method, args, None,
                                   Gio.DBusCallFlags.NONE, timeout_ms, None)
        return reply.unpack()

    def _read(self, method):
        return self.call("org.gnome.Shell", "/org/tugworth/TestReader", "org.tugworth.TestReader",
                         method)

    def frames(self):
        """{title: (x, y, width, height)} of every window."""
        return {title: tuple(rect) for _, title, *rect in self._read("Frames")[0]}

    def frame(self, title):
        return self.frames().get(title)

    def steady_frame(self, title):
        """The window's frame if it stays the same for a third of a second."""
        before = self.frame(title)
        time.sleep(0.3)
        return before if self.frame(title) == before else None

    def pointer(self):
        return self._read("Pointer")[:2]

    def release(self, keys):
        """Lets go of `keys`, and waits until Mutter has seen it."""
        self.input.keys(reversed(keys), False)
        wait_until(lambda: self._read("Pointer")[2] & 0xFF == 0, "the keys to be up")

    def x_display(self):
        """(DISPLAY, XAUTHORITY) of XWayland; empty strings when it has not started."""
        return self._read("XDisplay")

    def wait_for_frame(self, title, expected, seconds=10):
        try:
            wait_until(lambda: self.frame(title) == tuple(expected),
                       f"{title} at {expected}", seconds)
        except Timeout as timeout:
            raise AssertionError(f"{timeout}; it shows {self.frame(title)}") from None

    def launch(self):
        desktop.TUGWORTH = self.program
        return Program(dict(self.env))

    def point_at(self, x, y):
        """Moves the pointer to (x, y) by relative device motion."""
        def there():
            px, py = self.pointer()
            if (px, py) == (x, y):
                return True
            self.input.move(x - px, y - py)
            return False
        wait_until(there, f"the pointer at {(x, y)} (it is at {self.pointer()})")
        # The pointer read above is the input thread's, which runs ahead of the main thread
        # that tells Tugworth of the motion (with the keys held then): a few calls answered on
        # the main thread let it catch up before the keys change.
        for _ in range(3):
            self.frames()


class RemoteDesktop:
    """A session of Mutter's org.gnome.Mutter.RemoteDesktop: a virtual keyboard and pointer."""

    def __init__(self, bus):
        self.bus = bus
        self.path = self._call("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop",
                               "CreateSession")[0]
        self._session("Start")

    def _call(self, path, interface, method, args=None):
        return self.bus.call_sync("org.gnome.Mutter.RemoteDesktop", path, interface, method, args,
                                  None, Gio.DBusCallFlags.NONE, 5000, None).unpack()

    def _session(self, method, args=None):
        return self._call(self.path, "org.gnome.Mutter.RemoteDesktop.Session", method, args)

    def close(self):
        try:
            self._session("Stop")
        except GLib.Error:
            pass  # the shell has gone already

    def keys(self, keysyms, pressed):
        for keysym in keysyms:
            self._session("NotifyKeyboardKeysym", GLib.Variant("(ub)", (keysym, pressed)))

    def move(self, dx, dy):
        self._session("NotifyPointerMotionRelative", GLib.Variant("(dd)", (float(dx), float(dy))))
