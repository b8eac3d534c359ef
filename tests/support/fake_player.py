#!/usr/bin/python3
# A music player on the session bus, as MPRIS describes one
# (org.mpris.MediaPlayer2.zelkoratest), driven by lines on standard input:
#   track TITLE|ARTIST|ALBUM|ART_FILE   a new track (plays on)
#   play | pause | stop                 its state
#   quit                                leaves the bus
# Each change is announced with PropertiesChanged, as players do.
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

PLAYER = "org.mpris.MediaPlayer2.Player"
PATH = "/org/mpris/MediaPlayer2"


class Player(dbus.service.Object):
    def __init__(self, bus):
        self.name = dbus.service.BusName("org.mpris.MediaPlayer2.zelkoratest", bus)
        super().__init__(bus, PATH)
        self.props = {"PlaybackStatus": "Stopped",
                      "Metadata": dbus.Dictionary({}, signature="sv")}

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.props[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.props if interface == PLAYER else {}

    @dbus.service.signal(dbus.PROPERTIES_IFACE, signature="sa{sv}as")
    def PropertiesChanged(self, interface, changed, invalidated):
        pass

    def change(self, **changed):
        self.props.update(changed)
        self.PropertiesChanged(PLAYER, changed, [])


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    player = Player(dbus.SessionBus())
    loop = GLib.MainLoop()

    def command(source, condition):
        line = sys.stdin.readline()
        if not line or line.strip() == "quit":
            loop.quit()
            return False
        word, _, rest = line.strip().partition(" ")
        if word == "track":
            title, artist, album, art = (rest.split("|") + ["", "", "", ""])[:4]
            meta = {"mpris:trackid": dbus.ObjectPath("/zelkora/track/%d" % abs(hash(rest))),
                    "xesam:title": title, "xesam:artist": dbus.Array([artist], signature="s"),
                    "xesam:album": album}
            if art:
                meta["mpris:artUrl"] = "file://" + art
            player.change(Metadata=dbus.Dictionary(meta, signature="sv"), PlaybackStatus="Playing")
        elif word in ("play", "pause", "stop"):
            player.change(PlaybackStatus={"play": "Playing", "pause": "Paused", "stop": "Stopped"}[word])
        print("ok", flush=True)
        return True

    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, command)
    print("ready", flush=True)
    loop.run()


if __name__ == "__main__":
    main()
