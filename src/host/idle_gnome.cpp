#include "host/idle_gnome.h"

#include "host/idle_time.h"
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace host {

namespace {

const char kService[] = "org.gnome.Mutter.IdleMonitor";
const char kPath[] = "/org/gnome/Mutter/IdleMonitor/Core";

} // namespace

GnomeIdle::GnomeIdle(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    bus.connect(kService, kPath, kService, "WatchFired", this, SLOT(WatchFired(uint)));
    QDBusInterface monitor(kService, kPath, kService, bus);
    QDBusReply<uint> reply = monitor.call("AddIdleWatch", qulonglong(IdleMilliseconds()));
    if (reply.isValid()) idleWatch_ = reply.value();
}

void GnomeIdle::WatchFired(uint id) {
    if (id == idleWatch_ && idleWatch_ != 0 && !idle_) {
        idle_ = true;
        // Told once when the user is back (a watch of that kind fires once).
        QDBusInterface monitor(kService, kPath, kService, QDBusConnection::sessionBus());
        QDBusReply<uint> reply = monitor.call("AddUserActiveWatch");
        if (reply.isValid()) activeWatch_ = reply.value();
        emit Changed();
    } else if (id == activeWatch_ && activeWatch_ != 0 && idle_) {
        idle_ = false;
        activeWatch_ = 0;
        emit Changed();
    }
}

} // namespace host
