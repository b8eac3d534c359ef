// What the Zelkora extension does, in either of its forms (the forms give it
// Gio, GLib, Meta and the Shell's Main): it tells the Zelkora desktop
// (zelkora-desktop, on the session bus as io.zelkora.Desktop) what covers
// each monitor, as it changes: a full-screen or maximised window, or the
// overview or the lock screen over all of them. Under Xwayland the desktop
// cannot see native windows itself.
const BUS_NAME = 'io.zelkora.Desktop';
const OBJECT_PATH = '/io/zelkora/Desktop';
const INTERFACE = 'io.zelkora.Desktop.Cover';

class ZelkoraDesktop {
    enable() {
        this._signals = [];
        this._windows = new Map();
        this._said = null;
        const display = global.display;
        this._connect(display, 'in-fullscreen-changed', () => this._update());
        this._connect(display, 'window-created', (d, window) => this._watch(window));
        this._connect(display, 'window-entered-monitor', () => this._update());
        this._connect(display, 'window-left-monitor', () => this._update());
        this._connect(global.workspace_manager, 'active-workspace-changed', () => this._update());
        this._connect(Main.layoutManager, 'monitors-changed', () => this._update());
        this._connect(Main.overview, 'showing', () => this._update());
        this._connect(Main.overview, 'hidden', () => this._update());
        this._connect(Main.sessionMode, 'updated', () => this._update());
        for (const actor of global.get_window_actors())
            this._watch(actor.meta_window);
        // A desktop started (or started again) after the Shell hears the
        // state at once.
        this._busWatch = Gio.bus_watch_name(Gio.BusType.SESSION, BUS_NAME,
            Gio.BusNameWatcherFlags.NONE, () => {
                this._said = null;
                this._update();
            }, null);
        this._update();
    }

    disable() {
        Gio.bus_unwatch_name(this._busWatch);
        for (const [object, id] of this._signals)
            object.disconnect(id);
        for (const [window, ids] of this._windows)
            ids.forEach(id => window.disconnect(id));
        this._signals = [];
        this._windows.clear();
        // Nothing covers the desktop any more as far as the Shell says.
        this._send([], false);
    }

    _connect(object, signal, handler) {
        this._signals.push([object, object.connect(signal, handler)]);
    }

    _watch(window) {
        if (this._windows.has(window))
            return;
        const update = () => this._update();
        const ids = ['notify::maximized-horizontally', 'notify::maximized-vertically',
            'notify::minimized', 'notify::fullscreen', 'workspace-changed']
            .map(signal => window.connect(signal, update));
        ids.push(window.connect('unmanaged', () => {
            ids.forEach(id => window.disconnect(id));
            this._windows.delete(window);
            this._update();
        }));
        this._windows.set(window, ids);
        this._update();
    }

    _covered(monitor) {
        if (global.display.get_monitor_in_fullscreen(monitor.index))
            return true;
        const workspace = global.workspace_manager.get_active_workspace();
        return workspace.list_windows().some(window =>
            window.get_monitor() === monitor.index && !window.minimized &&
            window.get_window_type() === Meta.WindowType.NORMAL &&
            window.get_maximized() === Meta.MaximizeFlags.BOTH);
    }

    _update() {
        const shell = Main.overview.visible || Main.sessionMode.isLocked;
        const covered = Main.layoutManager.monitors.filter(m => this._covered(m))
            .map(m => `Monitor-${m.index} ${m.x} ${m.y} ${m.width} ${m.height}`);
        this._send(covered, shell);
    }

    _send(covered, shell) {
        const said = JSON.stringify([covered, shell]);
        if (said === this._said)
            return;
        this._said = said;
        Gio.DBus.session.call(BUS_NAME, OBJECT_PATH, INTERFACE, 'Covered',
            new GLib.Variant('(asb)', [covered, shell]), null,
            Gio.DBusCallFlags.NO_AUTO_START, -1, null, null);
    }
}
