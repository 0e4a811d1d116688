#!/usr/bin/env python3
"""Takes the screenshots under docs/screenshots/ on a private virtual display: the tray menu,
About, the preferences window and help, as a user sees them.

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


def open_window(test, position, title):
    test.choose_from_tray_menu(position)
    window = test.desktop.wait_for_window("--name", title)
    test.desktop.xdotool("windowactivate", "--sync", window)
    return window


def main():
    if shutil.which("import") is None:
        sys.exit("imagemagick's import is missing: apt-get install imagemagick")
    out = os.path.join(ROOT, "docs", "screenshots")
    os.makedirs(out, exist_ok=True)
    test = desktop.DesktopTest()
    test.setUp()
    session = test.desktop
    try:
        test.launch()
        _, x, y, w, h = session.wait_for_tray_icon()
        session.xdotool("mousemove", x + w // 2, y + h // 2, "sleep", "0.3", "click", "3")
        desktop.wait_until(lambda: len(session.find_windows(
            "--onlyvisible", "--class", "Tugworth")) >= 2, "the tray menu")
        session.xdotool("key", "Down")  # a highlighted item, as under the pointer
        shoot(session, os.path.join(out, "tray-menu.png"), options=("-crop", "300x150+980+0"))
        session.xdotool("key", "Escape")

        # With the frame the window manager draws around each window.
        about = open_window(test, 1, "^About Tugworth$")
        shoot(session, os.path.join(out, "about.png"), about, ("-frame",))
        session.xdotool("key", "Escape")
        preferences = open_window(test, 2, "^Tugworth Preferences$")
        shoot(session, os.path.join(out, "preferences-window.png"), preferences, ("-frame",))
        help_box = open_window(test, 3, "^Tugworth Help$")
        shoot(session, os.path.join(out, "help.png"), help_box, ("-frame",))
    finally:
        test.tearDown()
        session.close()


if __name__ == "__main__":
    main()
