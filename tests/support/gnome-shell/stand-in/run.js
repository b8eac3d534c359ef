// Runs the Zelkora extension's ES-module form against the stand-in Shell,
// with the desktop's side on a real session bus: what it says as windows,
// the overview and the lock screen come and go, and that it leaves nothing
// connected when turned off.
//   gjs -m run.js   (extension.js beside it, its Shell imports made ./shell.js)
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import * as Shell from './shell.js';
import ZelkoraDesktopExtension from './extension.js';

const COVER = `<node><interface name="io.zelkora.Desktop.Cover">
  <method name="Covered"><arg type="as" name="covered"/><arg type="b" name="shell"/></method>
</interface></node>`;
const said = [];
const desktop = Gio.DBusExportedObject.wrapJSObject(COVER, {
    Covered: (covered, shell) => said.push(`${covered.join(',') || '-'} ${shell ? 'shell' : '-'}`),
});
desktop.export(Gio.DBus.session, '/io/zelkora/Desktop');
const loop = new GLib.MainLoop(null, false);
let failed = false;

// Waits on the bus for the extension's last word to be `want`.
function heard(want, what) {
    const end = GLib.get_monotonic_time() + 5000000;
    while (said.at(-1) !== want && GLib.get_monotonic_time() < end)
        GLib.MainContext.default().iteration(true);
    if (said.at(-1) === want)
        return print(`ok: ${what}: "${want}"`);
    printerr(`FAIL: ${what}: the extension said "${said.at(-1)}", not "${want}"`);
    failed = true;
}

function steps() {
    const {display, layoutManager, overview, sessionMode, Window} = Shell;
    layoutManager.monitors = [
        {index: 0, x: 0, y: 0, width: 1280, height: 800},
        {index: 1, x: 1280, y: 0, width: 1024, height: 768},
    ];
    const extension = new ZelkoraDesktopExtension({uuid: 'desktop@zelkora.io'});
    extension.enable();
    heard('- -', 'turned on, nothing over the desktop');
    display.fullscreen.add(1);
    display.emit('in-fullscreen-changed');
    heard('Monitor-1 1280 0 1024 768 -', 'a full-screen window on the second monitor');
    const window = new Window(0);
    display.add(window);
    window.maximized = 3;
    window.emit('notify::maximized-horizontally');
    heard('Monitor-0 0 0 1280 800,Monitor-1 1280 0 1024 768 -', 'a window maximised on the first');
    window.minimized = true;
    window.emit('notify::minimized');
    heard('Monitor-1 1280 0 1024 768 -', 'that window minimised');
    const dialog = new Window(0, 3);
    display.add(dialog);
    dialog.maximized = 3;
    dialog.emit('notify::maximized-vertically');
    display.fullscreen.clear();
    display.emit('in-fullscreen-changed');
    heard('- -', 'full screen left; a maximised dialog covers nothing');
    overview.visible = true;
    overview.emit('showing');
    heard('- shell', 'the overview');
    overview.visible = false;
    overview.emit('hidden');
    heard('- -', 'the overview hidden');
    sessionMode.isLocked = true;
    sessionMode.emit('updated');
    heard('- shell', 'the lock screen');
    sessionMode.isLocked = false;
    sessionMode.emit('updated');
    window.minimized = false;
    window.emit('notify::minimized');
    heard('Monitor-0 0 0 1280 800 -', 'unlocked, the maximised window back');
    window.gone = true;
    window.emit('unmanaged');
    heard('- -', 'that window closed');
    extension.disable();
    if (Shell.listening() !== 0) {
        printerr(`FAIL: ${Shell.listening()} handlers left connected after disable()`);
        failed = true;
    }
    const before = said.length;
    display.fullscreen.add(0);
    display.emit('in-fullscreen-changed');
    GLib.MainContext.default().iteration(false);
    if (said.length !== before) {
        printerr('FAIL: the extension still speaks after disable()');
        failed = true;
    }
    print(`${said.length} words heard`);
    loop.quit();
}

Gio.bus_own_name(Gio.BusType.SESSION, 'io.zelkora.Desktop', Gio.BusNameOwnerFlags.NONE,
    null, () => GLib.idle_add(GLib.PRIORITY_DEFAULT, () => {
        steps();
        return GLib.SOURCE_REMOVE;
    }), () => {
        printerr('FAIL: io.zelkora.Desktop could not be owned');
        failed = true;
        loop.quit();
    });
loop.run();
if (failed)
    imports.system.exit(1);
