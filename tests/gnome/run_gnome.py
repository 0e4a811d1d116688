"""Installs the build into a scratch prefix and runs the GNOME Shell tests against it, as an
ordinary user (GNOME Shell will not run as root): as root, as the user that
scripts/ensure-test-user.sh names."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))

if "TUGWORTH_PREFIX" not in os.environ:
    prefix = tempfile.mkdtemp(prefix="tugworth-prefix-")
    try:
        subprocess.run(["cmake", "--install", os.environ["TUGWORTH_BUILD_DIR"], "--prefix", prefix],
                       check=True, stdout=subprocess.DEVNULL)
        os.chmod(prefix, 0o755)
        command = [sys.executable, *sys.argv]
        if os.geteuid() == 0:
            user = subprocess.run(["bash", os.path.join(HERE, "..", "..", "scripts",
                                                        "ensure-test-user.sh")],
                                  check=True, capture_output=True, text=True).stdout.strip()
            command = ["setpriv", f"--reuid={user}", f"--regid={user}", "--init-groups", "--",
                       *command]
        status = subprocess.run(command, env=dict(os.environ, TUGWORTH_PREFIX=prefix)).returncode
    finally:
        shutil.rmtree(prefix, ignore_errors=True)
    sys.exit(status)

sys.path.insert(0, HERE)
suite = unittest.defaultTestLoader.loadTestsFromNames(sys.argv[1:])
result = unittest.TextTestRunner(verbosity=2).run(suite)
sys.exit(0 if result.wasSuccessful() else 1)
