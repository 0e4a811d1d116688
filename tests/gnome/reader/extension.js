// A test-only reader of what Mutter shows, for any caller: every window's frame, the pointer
// with the modifier mask, whether the overview is shown, and XWayland's display with its
// authority file. The tests check Tugworth's effects through it, never through Tugworth's own
// bridge.
'use strict';

const {Gio, GLib} = imports.gi;
const Main = imports.ui.main;

const READER_XML = `<node>
  <interface name="org.tugworth.TestReader">
    <method name="Frames"><arg type="a(tsiiii)" direction="out"/></method>
    <method name="Pointer">
      <arg type="i" direction="out"/><arg type="i" direction="out"/><arg type="u" direction="out"/>
    </method>
    <method name="OverviewShown"><arg type="b" direction="out"/></method>
    <method name="XDisplay">
      <arg type="s" direction="out"/><arg type="s" direction="out"/>
    </method>
  </interface>
</node>`;

class Reader {
    enable() {
        this._exported = Gio.DBusExportedObject.wrapJSObject(READER_XML, this);
        this._exported.export(Gio.DBus.session, '/org/tugworth/TestReader');
    }

    disable() {
        this._exported.unexport();
    }

    Frames() {
        return global.get_window_actors().map(a => a.meta_window).map(w => {
            const r = w.get_frame_rect();
            return [w.get_id(), w.get_title() ?? '', r.x, r.y, r.width, r.height];
        });
    }

    Pointer() {
        return global.get_pointer();
    }

    OverviewShown() {
        // The overview opens as the last step of starting up.
        return Main.layoutManager._startingUp || Main.overview.visible;
    }

    XDisplay() {
        return [GLib.getenv('DISPLAY') ?? '', GLib.getenv('XAUTHORITY') ?? ''];
    }
}

function init() {
    return new Reader();
}
