// A stand-in for what GNOME Shell 45 on gives an extension (its Main, its
// Extension class, Meta's numbers and the `global` object), enough to run
// the Zelkora extension's ES-module form outside a Shell. The test points
// the form's imports of the Shell here.
class Signals {
    constructor() {
        this._handlers = new Map();
        this._next = 1;
    }

    connect(signal, handler) {
        const id = this._next++;
        this._handlers.set(id, [signal, handler]);
        return id;
    }

    disconnect(id) {
        if (!this._handlers.delete(id))
            throw new Error(`no handler ${id}`);
    }

    emit(signal, ...args) {
        for (const [name, handler] of [...this._handlers.values()])
            if (name === signal)
                handler(this, ...args);
    }

    get connections() {
        return this._handlers.size;
    }
}

export default {WindowType: {NORMAL: 0, DIALOG: 3}, MaximizeFlags: {BOTH: 3}};

export class Extension {
    constructor(metadata) {
        this.metadata = metadata;
    }
}

export class Window extends Signals {
    constructor(monitor, type = 0) {
        super();
        Object.assign(this, {monitor, type, minimized: false, maximized: 0});
    }

    get_monitor() {
        return this.monitor;
    }

    get_window_type() {
        return this.type;
    }

    get_maximized() {
        return this.maximized;
    }
}

export const layoutManager = Object.assign(new Signals(), {monitors: []});
export const overview = Object.assign(new Signals(), {visible: false});
export const sessionMode = Object.assign(new Signals(), {isLocked: false});

const windows = [];
export const display = Object.assign(new Signals(), {
    fullscreen: new Set(),
    get_monitor_in_fullscreen: index => display.fullscreen.has(index),
    add(window) {
        windows.push(window);
        display.emit('window-created', window);
    },
});
const workspace = {list_windows: () => windows.filter(w => !w.gone)};
export const workspaceManager = Object.assign(new Signals(), {get_active_workspace: () => workspace});

globalThis.global = {
    display,
    workspace_manager: workspaceManager,
    get_window_actors: () => [],
};

// Everything that still listens: nothing should, once the extension is off.
export function listening() {
    return [layoutManager, overview, sessionMode, display, workspaceManager, ...windows]
        .reduce((sum, object) => sum + object.connections, 0);
}
