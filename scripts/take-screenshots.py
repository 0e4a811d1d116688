#!/usr/bin/env python3
"""Takes the screenshots under docs/screenshots/ on a private virtual display: the tray menu
and the preferences window, as a user sees them.

Usage: scripts/take-screenshots.py [PATH_TO_TUGWORTH]   (needs imagemagick's import)
"""

import os
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
if len(sys.argv) > 1:
    os.environ["TUGWORTH_PROGRAM"] = os.path.abspath(sys.argv[1])

import desktop  # noqa: E402  (found through the path set above)


def shoot(session, target, window="root", options=()):
    subprocess.run(["import", "-window", str(window), *options, target], env=session.env, check=True)
    print("wrote", target)


def main():
    if shutil.which("import") is None:
        sys.exit("imagemagick's import is missing: apt-get install imagemagick")
    out = os.path.join(ROOT, "docs", "screenshots")
    os.makedirs(out, exist_ok=True)
    test = desktop.DesktopTest()
    test.setUp()
    try:
        test.launch()
        _, x, y, w, h = test.desktop.wait_for_tray_icon()
        test.desktop.xdotool("mousemove", x + w // 2, y + h // 2, "click", "3")
        desktop.wait_until(lambda: len(test.desktop.find_windows(
            "--onlyvisible", "--class", "Tugworth")) >= 2, "the tray menu")
        test.desktop.xdotool("key", "Down")  # a highlighted item, as under the pointer
        shoot(test.desktop, os.path.join(out, "tray-menu.png"), options=("-crop", "420x200+860+0"))
        test.desktop.xdotool("key", "Down", "Return")
        window = test.desktop.wait_for_window("--name", "^Tugworth Preferences$")
        test.desktop.xdotool("windowactivate", "--sync", window)
        # With the frame the window manager draws around it.
        shoot(test.desktop, os.path.join(out, "preferences-window.png"), window, ("-frame",))
    finally:
        test.tearDown()
        test.desktop.close()


if __name__ == "__main__":
    main()
