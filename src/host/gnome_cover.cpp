#include "host/gnome_cover.h"

#include "platform/desktop_host.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <cstdio>

namespace host {

namespace {
const char kService[] = "io.zelkora.Desktop";
const char kPath[] = "/io/zelkora/Desktop";
const char kShell[] = "org.gnome.Shell";
} // namespace

GnomeCover::GnomeCover(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    bus.registerObject(kPath, this, QDBusConnection::ExportScriptableSlots);
    bus.registerService(kService);
    // Where GNOME's Shell runs, is the extension on? Asked once, without
    // waiting; a Shell that is not there answers nothing.
    if (!bus.interface()->isServiceRegistered(kShell)) return;
    QDBusMessage ask = QDBusMessage::createMethodCall(kShell, "/org/gnome/Shell",
                                                      "org.gnome.Shell.Extensions",
                                                      "GetExtensionInfo");
    ask << QString(kGnomeExtension);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<QVariantMap> reply = *w;
        if (reply.isValid()) ExtensionInfo(reply.value());
        w->deleteLater();
    });
}

GnomeCover::~GnomeCover() {
    if (noted_) platform::SetDesktopHostNote("");
}

void GnomeCover::ExtensionInfo(const QVariantMap& info) {
    // 1 is "enabled" (GNOME 43, 44) and "active" (45 on); not installed is
    // an empty answer.
    if (heard_ || info.value("state").toDouble() == 1) return;
    noted_ = true;
    std::fprintf(stderr, "zelkora-desktop: %s\n", kGnomeExtensionNote);
    platform::SetDesktopHostNote(kGnomeExtensionNote);
}

void GnomeCover::Covered(const QStringList& monitors, bool shell) {
    heard_ = true;
    if (noted_) {
        noted_ = false;
        platform::SetDesktopHostNote("");
    }
    // Read once here: the host asks every second, for every screen.
    QList<Monitor> covered;
    for (const QString& monitor : monitors) {
        QStringList f = monitor.split(' ', Qt::SkipEmptyParts);
        if (f.size() == 5)
            covered.append({f[0], QRect(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt())});
    }
    if (covered == monitors_ && shell == shell_) return;
    monitors_ = covered;
    shell_ = shell;
    emit Changed();
}

bool GnomeCover::Covers(const QString& name, const QRect& geometry) const {
    if (shell_) return true;
    for (const Monitor& monitor : monitors_)
        if (monitor.name == name || monitor.at == geometry) return true;
    return false;
}

} // namespace host
