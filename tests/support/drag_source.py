#!/usr/bin/python3
"""A window to drag files from, as Linux file managers offer them.

It offers the files named on its command line as text/uri-list only: a
source that also offers them as plain text (GTK's default) makes Wine 8 fail
as the pointer enters its window once the text passes about 1 KB.
"""
import sys

import gi

gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gio, Gtk  # noqa: E402

uris = [Gio.File.new_for_path(path).get_uri() for path in sys.argv[1:]]

window = Gtk.Window(title="drag source")
window.set_default_size(160, 160)
window.move(0, 0)
area = Gtk.EventBox()
area.add(Gtk.Label(label="%d items" % len(uris)))
window.add(area)
area.drag_source_set(
    Gdk.ModifierType.BUTTON1_MASK,
    [Gtk.TargetEntry.new("text/uri-list", 0, 0)],
    Gdk.DragAction.COPY | Gdk.DragAction.MOVE | Gdk.DragAction.LINK,
)
area.connect("drag-data-get", lambda _w, _c, data, _i, _t: data.set_uris(uris))
window.connect("destroy", Gtk.main_quit)
window.show_all()
Gtk.main()
