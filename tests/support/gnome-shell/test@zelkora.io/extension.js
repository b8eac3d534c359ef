// For the tests only, installed in a test's own home: what a user does with
// the keyboard, and a look at the screen, asked for on the session bus
// (io.zelkora.Test).
/* exported init */
const { Gio, Shell } = imports.gi;
const Main = imports.ui.main;

const INTERFACE = `<node><interface name="io.zelkora.Test">
  <method name="Overview"><arg type="b" direction="in" name="show"/></method>
  <method name="Lock"><arg type="b" direction="in" name="locked"/></method>
  <method name="Screenshot"><arg type="s" direction="in" name="path"/></method>
</interface></node>`;

class ZelkoraTest {
    enable() {
        // The overview stays as asked: the Shell's own at start-up, should it
        // come after the test's word, is hidden again.
        this._wanted = null;
        this._shown = Main.overview.connect('shown', () => {
            if (this._wanted === false)
                Main.overview.hide();
        });
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE, {
            Overview: show => {
                this._wanted = show;
                if (show)
                    Main.overview.show();
                else
                    Main.overview.hide();
            },
            // The session mode the screen shield puts on: this headless Shell
            // has no shield of its own to lock.
            Lock: locked => {
                if (locked)
                    Main.sessionMode.pushMode('unlock-dialog');
                else
                    Main.sessionMode.popMode('unlock-dialog');
            },
            ScreenshotAsync: ([path], invocation) => {
                const file = Gio.File.new_for_path(path);
                const stream = file.replace(null, false, Gio.FileCreateFlags.NONE, null);
                new Shell.Screenshot().screenshot(false, stream, (shooter, result) => {
                    try {
                        shooter.screenshot_finish(result);
                        stream.close(null);
                        invocation.return_value(null);
                    } catch (e) {
                        invocation.return_error_literal(Gio.DBusError, Gio.DBusError.FAILED, e.message);
                    }
                });
            },
        });
        this._object.export(Gio.DBus.session, '/io/zelkora/Test');
        this._name = Gio.bus_own_name(Gio.BusType.SESSION, 'io.zelkora.Test',
            Gio.BusNameOwnerFlags.NONE, null, null, null);
    }

    disable() {
        Main.overview.disconnect(this._shown);
        Gio.bus_unown_name(this._name);
        this._object.unexport();
    }
}

function init() {
    return new ZelkoraTest();
}
