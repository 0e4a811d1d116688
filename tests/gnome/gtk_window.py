"""A GTK 3 test window: `clients.py TITLE WIDTH HEIGHT`, on whatever display GDK_BACKEND picks."""

import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402

title, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
window = Gtk.Window(title=title)
window.set_default_size(width, height)
window.connect("destroy", Gtk.main_quit)
window.show_all()
Gtk.main()
