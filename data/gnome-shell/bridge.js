// The body of Tugworth's bridge inside GNOME Shell, shared by both extension variants (their
// heads bind Gio, GLib, Meta, Shell and Main). It only reads and writes what Tugworth asks
// for and forwards pointer and modifier events; every decision stays in Tugworth.

const APP_BUS_NAME = 'org.tugworth.Tugworth';
const BRIDGE_PATH = '/org/tugworth/ShellBridge';
const BRIDGE_INTERFACE = 'org.tugworth.ShellBridge1';
const BRIDGE_XML = `<node>
  <interface name="${BRIDGE_INTERFACE}">
    <method name="Ping"><arg type="u" direction="out" name="version"/></method>
    <method name="Windows">
      <arg type="a(tiss(iiii)uu)" direction="out" name="frontToBack"/>
    </method>
    <method name="Pointer">
      <arg type="i" direction="out" name="x"/><arg type="i" direction="out" name="y"/>
      <arg type="u" direction="out" name="mask"/>
    </method>
    <method name="Monitors">
      <arg type="a(iiii)" direction="out" name="primaryFirst"/>
      <arg type="a(iiii)" direction="out" name="workAreas"/>
    </method>
    <method name="SetFrame">
      <arg type="t" direction="in" name="id"/>
      <arg type="i" direction="in" name="x"/><arg type="i" direction="in" name="y"/>
      <arg type="i" direction="in" name="width"/><arg type="i" direction="in" name="height"/>
      <arg type="u" direction="out" name="result"/>
    </method>
    <signal name="PointerMoved">
      <arg type="i" name="x"/><arg type="i" name="y"/><arg type="u" name="mask"/>
    </signal>
    <signal name="ModifiersChanged"><arg type="u" name="mask"/></signal>
    <signal name="Closing"><arg type="b" name="screenLocked"/></signal>
  </interface>
</node>`;
const BRIDGE_VERSION = 1;

// SetFrame's answers.
const FRAME_REQUESTED = 0;
const FRAME_NO_SUCH_WINDOW = 1;
const FRAME_REFUSED = 2;

// Window flags in Windows().
const FLAG_MINIMIZED = 1;
const FLAG_MAXIMIZED = 2;
const FLAG_FULLSCREEN = 4;

class TugworthBridge {
    enable() {
        this._owner = null;
        this._connection = Gio.DBus.session;
        this._info = Gio.DBusNodeInfo.new_for_xml(BRIDGE_XML).interfaces[0];
        this._cursorTracker = global.backend?.get_cursor_tracker?.() ??
            Meta.CursorTracker.get_for_display(global.display);
        this._idleMonitor = global.backend.get_core_idle_monitor();
        this._exported = Gio.DBusExportedObject.wrapJSObject(this._info, this);
        this._exported.export(this._connection, BRIDGE_PATH);
        this._watch = Gio.bus_watch_name_on_connection(this._connection, APP_BUS_NAME,
            Gio.BusNameWatcherFlags.NONE,
            (_connection, _name, owner) => this._listen(owner),
            () => this._listen(null));
    }

    disable() {
        // GNOME Shell also disables extensions while the screen is locked.
        if (this._owner)
            this._send('Closing', new GLib.Variant('(b)', [Main.sessionMode.isLocked]));
        Gio.bus_unwatch_name(this._watch);
        this._listen(null);
        this._exported.unexport();
        this._exported = null;
        this._cursorTracker = null;
        this._idleMonitor = null;
    }

    // Events are sent only to Tugworth, and only while it runs.
    _listen(owner) {
        if (this._motionId)
            this._cursorTracker.disconnect(this._motionId);
        for (const id of [this._idleId, this._activeId]) {
            if (id)
                this._idleMonitor.remove_watch(id);
        }
        this._motionId = this._idleId = this._activeId = 0;
        this._owner = owner;
        if (!owner)
            return;
        this._lastMask = global.get_pointer()[2];
        this._motionId = this._cursorTracker.connect('position-invalidated', () => {
            const [x, y, mask] = global.get_pointer();
            this._lastMask = mask;
            this._send('PointerMoved', new GLib.Variant('(iiu)', [x, y, mask]));
        });
        // Key events bound for a client pass the Shell by, but every input event ends an idle
        // spell: watching for the end of each (a millisecond long) and for the next input sees
        // the keys change, keys pressed together included.
        this._idleId = this._idleMonitor.add_idle_watch(1, () => {
            this._checkModifiers();
            if (!this._activeId) {
                this._activeId = this._idleMonitor.add_user_active_watch(() => {
                    this._activeId = 0;
                    this._checkModifiers();
                });
            }
        });
    }

    _checkModifiers() {
        const mask = global.get_pointer()[2];
        if (mask === this._lastMask)
            return;
        this._lastMask = mask;
        this._send('ModifiersChanged', new GLib.Variant('(u)', [mask]));
    }

    _send(signal, parameters) {
        try {
            this._connection.emit_signal(this._owner, BRIDGE_PATH, BRIDGE_INTERFACE, signal,
                parameters);
        } catch (e) {
            logError(e, 'Tugworth bridge: could not send a signal');
        }
    }

    // Each method answers only the process that owns Tugworth's bus name.
    _answer(invocation, signature, compute) {
        if (!this._owner || invocation.get_sender() !== this._owner) {
            invocation.return_dbus_error('org.freedesktop.DBus.Error.AccessDenied',
                `Only the owner of ${APP_BUS_NAME} may use this bridge`);
            return;
        }
        try {
            invocation.return_value(new GLib.Variant(signature, compute()));
        } catch (e) {
            invocation.return_dbus_error('org.freedesktop.DBus.Error.Failed', String(e));
        }
    }

    PingAsync(_parameters, invocation) {
        this._answer(invocation, '(u)', () => [BRIDGE_VERSION]);
    }

    WindowsAsync(_parameters, invocation) {
        this._answer(invocation, '(a(tiss(iiii)uu))', () => [windowsFrontToBack().map(describe)]);
    }

    PointerAsync(_parameters, invocation) {
        this._answer(invocation, '(iiu)', () => global.get_pointer());
    }

    MonitorsAsync(_parameters, invocation) {
        this._answer(invocation, '(a(iiii)a(iiii))', () => {
            const display = global.display;
            const primary = display.get_primary_monitor();
            const order = [primary];
            for (let i = 0; i < display.get_n_monitors(); i++) {
                if (i !== primary)
                    order.push(i);
            }
            const workspace = global.workspace_manager.get_active_workspace();
            return [
                order.map(i => rectangle(display.get_monitor_geometry(i))),
                order.map(i => rectangle(workspace.get_work_area_for_monitor(i))),
            ];
        });
    }

    SetFrameAsync([id, x, y, width, height], invocation) {
        this._answer(invocation, '(u)', () => [setFrame(id, x, y, width, height)]);
    }
}

function rectangle(r) {
    return [r.x, r.y, r.width, r.height];
}

// The managed windows of the workspace shown, front-most first.
function windowsFrontToBack() {
    const workspace = global.workspace_manager.get_active_workspace();
    const windows = global.get_window_actors()
        .map(actor => actor.meta_window)
        .filter(w => w && !w.is_override_redirect() && w.located_on_workspace(workspace));
    return global.display.sort_windows_by_stacking(windows).reverse();
}

function describe(w) {
    const app = Shell.WindowTracker.get_default().get_window_app(w);
    const flags = (w.minimized ? FLAG_MINIMIZED : 0) |
        (w.get_maximized() === Meta.MaximizeFlags.BOTH ? FLAG_MAXIMIZED : 0) |
        (w.is_fullscreen() ? FLAG_FULLSCREEN : 0);
    return [w.get_id(), w.get_pid(), app?.get_name() ?? w.get_wm_class() ?? '',
        w.get_title() ?? '', rectangle(w.get_frame_rect()), flags, w.get_window_type()];
}

function setFrame(id, x, y, width, height) {
    const w = windowsFrontToBack().find(candidate => candidate.get_id() === id);
    if (!w)
        return FRAME_NO_SUCH_WINDOW;
    const now = w.get_frame_rect();
    const moves = now.x !== x || now.y !== y;
    const resizes = now.width !== width || now.height !== height;
    if (w.is_fullscreen() || (moves && !w.allows_move()) || (resizes && !w.allows_resize()))
        return FRAME_REFUSED;
    // A maximized window would snap back.
    if (w.get_maximized())
        w.unmaximize(Meta.MaximizeFlags.BOTH);
    w.move_resize_frame(true, x, y, width, height);
    return FRAME_REQUESTED;
}
