"""A private headless GNOME Shell for end-to-end tests: its own system and session buses,
runtime folder and home, Tugworth's extension installed from the build, a test-only reader of
what Mutter shows, and input through Mutter's RemoteDesktop API as a user would give it.
Every wait is a bounded poll on a condition."""

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
from desktop import Processes, Program, wait_until  # noqa: E402,F401

HERE = os.path.dirname(os.path.abspath(__file__))
BRIDGE_UUID = "tugworth@tugworth.org"
READER_UUID = "tugworth-test-reader@tugworth.org"
SUPER, CONTROL, SHIFT, ESCAPE = 0xFFEB, 0xFFE3, 0xFFE1, 0xFF1B  # keysyms
REMOTE = "org.gnome.Mutter.RemoteDesktop"

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
        self.program = os.path.join(prefix, "bin", "tugworth")
        self.log_path = os.path.join(self.home, "shell.log")
        self._log = open(self.log_path, "w")
        self.session = None
        try:
            self._start(prefix)
        except BaseException:
            with open(self.log_path, errors="replace") as log:
                print("".join(log.readlines()[-40:]), file=sys.stderr)
            self.close()
            raise

    def _start(self, prefix):
        data = os.path.join(self.home, "data")
        shutil.copytree(os.path.join(HERE, "reader"),
                        os.path.join(data, "gnome-shell", "extensions", READER_UUID))
        runtime = os.path.join(self.home, "runtime")
        os.mkdir(runtime, 0o700)
        self.env = dict(os.environ, HOME=self.home, XDG_RUNTIME_DIR=runtime, XDG_DATA_HOME=data,
                        XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                        XDG_CACHE_HOME=os.path.join(self.home, "cache"),
                        XDG_DATA_DIRS=os.path.join(prefix, "share") + ":/usr/share",
                        XDG_CURRENT_DESKTOP="GNOME", XDG_SESSION_TYPE="wayland", NO_AT_BRIDGE="1")
        for variable in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "GDK_BACKEND"):
            self.env.pop(variable, None)
        # GNOME Shell's login-manager code needs a system bus: a private one. Their output, and
        # that of the services they start, goes to the log: none may hold the runner's pipes.
        config = os.path.join(self.home, "system.conf")
        with open(config, "w") as f:
            f.write(SYSTEM_BUS_CONFIG.format(dir=self.home))
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
        wait_until(self._answers, "GNOME Shell with the test reader", 60)
        self.env["WAYLAND_DISPLAY"] = "wayland-0"
        # A virtual keyboard and pointer.
        self.session = self.call(REMOTE, "/org/gnome/Mutter/RemoteDesktop", REMOTE,
                                 "CreateSession")[0]
        self.remote("Start")
        # GNOME Shell starts in the overview; the user leaves it for the desktop.
        wait_until(self._leave_overview, "the overview to close")

    def _leave_overview(self):
        if not self.read("OverviewShown")[0]:
            time.sleep(0.5)  # closed for good, not between two steps of starting up
            return not self.read("OverviewShown")[0]
        self.keys([ESCAPE], True)
        self.keys([ESCAPE], False)
        time.sleep(0.2)  # the overview's animation, before asking again
        return False

    def _answers(self):
        try:
            return self.frames() is not None
        except GLib.Error:
            return False

    def close(self):
        if self.session:
            try:
                self.remote("Stop")
            except GLib.Error:
                pass  # the shell has gone already
        super().close(seconds=10)
        self._log.close()

    def set_extensions(self, uuids):
        subprocess.run(["gsettings", "set", "org.gnome.shell", "enabled-extensions", str(uuids)],
                       env=self.env, check=True)

    def call(self, destination, path, interface, method, args=None):
        return self.bus.call_sync(destination, path, interface, method, args, None,
                                  Gio.DBusCallFlags.NONE, 5000, None).unpack()

    def remote(self, method, args=None):
        return self.call(REMOTE, self.session, REMOTE + ".Session", method, args)

    def keys(self, keysyms, pressed):
        for keysym in keysyms:
            self.remote("NotifyKeyboardKeysym", GLib.Variant("(ub)", (keysym, pressed)))

    def move(self, dx, dy):
        self.remote("NotifyPointerMotionRelative", GLib.Variant("(dd)", (float(dx), float(dy))))

    def read(self, method):
        return self.call("org.gnome.Shell", "/org/tugworth/TestReader", "org.tugworth.TestReader",
                         method)

    def frames(self):
        """{title: (x, y, width, height)} of every window."""
        return {title: tuple(rect) for _, title, *rect in self.read("Frames")[0]}

    def frame(self, title):
        return self.frames().get(title)

    def pointer(self):
        return self.read("Pointer")[:2]

    def release(self, keys):
        """Lets go of `keys`, and waits until Mutter has seen it."""
        self.keys(reversed(keys), False)
        wait_until(lambda: self.read("Pointer")[2] & 0xFF == 0, "the keys to be up")

    def launch(self):
        desktop.TUGWORTH = self.program
        return Program(dict(self.env))

    def point_at(self, x, y):
        """Moves the pointer to (x, y) by relative device motion."""
        def there():
            px, py = self.pointer()
            if (px, py) == (x, y):
                return True
            self.move(x - px, y - py)
            return False
        wait_until(there, f"the pointer at {(x, y)} (it is at {self.pointer()})")
        # The pointer read above is the input thread's, which runs ahead of the main thread
        # that tells Tugworth of the motion (with the keys held then): a few calls answered on
        # the main thread let it catch up before the keys change.
        for _ in range(3):
            self.frames()
