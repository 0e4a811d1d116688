"""Runs one end-to-end test module; exits 77 (skipped) when the virtual desktop's tools are
missing, so that a machine without them says so instead of failing obscurely."""

import shutil
import sys
import unittest

TOOLS = ("Xvfb", "openbox", "trayer", "xclock", "xdotool", "xprop", "xwininfo", "xclip",
         "dbus-daemon")

missing = [tool for tool in TOOLS if shutil.which(tool) is None]
if missing:
    print("skipped: missing " + ", ".join(missing) + " (see scripts/install-deps.sh)")
    sys.exit(77)

suite = unittest.defaultTestLoader.loadTestsFromNames(sys.argv[1:])
result = unittest.TextTestRunner(verbosity=2).run(suite)
sys.exit(0 if result.wasSuccessful() else 1)
