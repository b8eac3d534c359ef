#!/usr/bin/python3
# Stands in for the desktop on the session bus (io.zelkora.Desktop): prints
# each Covered call the Shell extension makes, a line each.
import dbus, dbus.service, dbus.mainloop.glib
from gi.repository import GLib
dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName('io.zelkora.Desktop', bus)
class Cover(dbus.service.Object):
    @dbus.service.method('io.zelkora.Desktop.Cover', in_signature='asb')
    def Covered(self, monitors, shell):
        print('covered', ','.join(str(m) for m in monitors) or '-', 'shell' if shell else '-', flush=True)
Cover(bus, '/io/zelkora/Desktop')
GLib.MainLoop().run()
