#include "host/power.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>

namespace host {

namespace {
const char kService[] = "org.freedesktop.UPower";
const char kPath[] = "/org/freedesktop/UPower";
} // namespace

PowerWatch::PowerWatch(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return;
    bus.connect(kService, kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", this,
                SLOT(PropertiesChanged(QString, QVariantMap, QStringList)));
    bus.connect("org.freedesktop.login1", "/org/freedesktop/login1",
                "org.freedesktop.login1.Manager", "PrepareForSleep", this,
                SLOT(PrepareForSleep(bool)));
    QDBusInterface properties(kService, kPath, "org.freedesktop.DBus.Properties", bus);
    QDBusReply<QDBusVariant> reply = properties.call("Get", kService, "OnBattery");
    if (reply.isValid()) onBattery_ = reply.value().variant().toBool();
}

void PowerWatch::PropertiesChanged(const QString& interface, const QVariantMap& changed,
                                   const QStringList&) {
    if (interface != kService || !changed.contains("OnBattery")) return;
    bool now = changed.value("OnBattery").toBool();
    if (now == onBattery_) return;
    onBattery_ = now;
    emit Changed();
}

void PowerWatch::PrepareForSleep(bool sleeping) {
    if (!sleeping) emit Resumed();
}

} // namespace host
