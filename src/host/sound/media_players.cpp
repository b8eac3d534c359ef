#include "host/sound/media_players.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeDatabase>
#include <QUrl>

namespace host::sound {

namespace {

const QString kPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
// A cover larger than this is not given to pages.
constexpr qint64 kArtBytes = 2 << 20;

// A value as D-Bus gives it: wrapped in a variant, or a structure still to read.
QVariant Plain(QVariant v) {
    if (v.canConvert<QDBusVariant>() && v.userType() == qMetaTypeId<QDBusVariant>())
        v = v.value<QDBusVariant>().variant();
    return v;
}

QVariantMap MapOf(const QVariant& v) {
    QVariant plain = Plain(v);
    if (plain.userType() == qMetaTypeId<QDBusArgument>()) {
        QVariantMap map;
        plain.value<QDBusArgument>() >> map;
        return map;
    }
    return plain.toMap();
}

QString TextOf(const QVariant& v) {
    QVariant plain = Plain(v);
    if (plain.userType() == qMetaTypeId<QDBusArgument>()) {
        QStringList list;
        plain.value<QDBusArgument>() >> list;
        return list.join(QStringLiteral(", "));
    }
    if (plain.userType() == QMetaType::QStringList) return plain.toStringList().join(QStringLiteral(", "));
    return plain.toString();
}

// The cover as a data: address: from a file of this machine, or given as
// data; never fetched from the network.
QString ArtOf(const QString& address) {
    if (address.startsWith(QStringLiteral("data:image/"))) return address.size() <= kArtBytes * 4 / 3 ? address : QString();
    QUrl url(address);
    if (!url.isLocalFile()) return {};
    QFile file(url.toLocalFile());
    if (!file.open(QIODevice::ReadOnly) || file.size() > kArtBytes) return {};
    QByteArray bytes = file.readAll();
    QString type = QMimeDatabase().mimeTypeForData(bytes).name();
    if (!type.startsWith(QStringLiteral("image/"))) return {};
    return QStringLiteral("data:%1;base64,%2").arg(type, QString::fromLatin1(bytes.toBase64()));
}

} // namespace

QString NowPlayingJson(const std::optional<NowPlaying>& now) {
    if (!now) return QStringLiteral("null");
    QJsonObject o{{"title", now->title}, {"artist", now->artist}, {"album", now->album},
                  {"state", now->state}, {"art", now->art}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

MediaPlayers::MediaPlayers(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    bus.connect(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"), this,
                SLOT(OnOwnerChanged(QString, QString, QString)));
    bus.connect(QString(), kPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                SLOT(OnPropertiesChanged(QDBusMessage)));
    auto* watcher = new QDBusPendingCallWatcher(bus.interface()->asyncCall(QStringLiteral("ListNames")), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<QStringList> names = *w;
        w->deleteLater();
        for (const QString& name : names.value())
            if (name.startsWith(kPrefix)) {
                QString owner = QDBusConnection::sessionBus().interface()->serviceOwner(name);
                if (!owner.isEmpty()) Follow(owner);
            }
    });
}

void MediaPlayers::OnOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner) {
    if (!name.startsWith(kPrefix)) return;
    if (!oldOwner.isEmpty() && players_.erase(oldOwner)) Choose();
    if (!newOwner.isEmpty()) Follow(newOwner);
}

void MediaPlayers::Follow(const QString& owner) {
    QDBusMessage get = QDBusMessage::createMethodCall(owner, kPath, kProperties, QStringLiteral("GetAll"));
    get << kPlayer;
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(get), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, owner](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<QVariantMap> reply = *w;
        w->deleteLater();
        if (reply.isValid()) Take(owner, reply.value());
    });
}

void MediaPlayers::OnPropertiesChanged(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2 || args[0].toString() != kPlayer) return;
    // A player not seen yet (it came before this object): read whole.
    if (!players_.count(message.service())) {
        Follow(message.service());
        return;
    }
    Take(message.service(), MapOf(args[1]));
}

void MediaPlayers::Take(const QString& owner, const QVariantMap& properties) {
    Player& p = players_[owner];
    if (properties.contains(QStringLiteral("PlaybackStatus"))) {
        QString status = TextOf(properties.value(QStringLiteral("PlaybackStatus"))).toLower();
        p.now.state = status == QLatin1String("playing") || status == QLatin1String("paused") ? status
                                                                                             : QStringLiteral("stopped");
        if (status == QLatin1String("playing")) p.playedAt = ++turns_;
    }
    if (properties.contains(QStringLiteral("Metadata"))) {
        QVariantMap m = MapOf(properties.value(QStringLiteral("Metadata")));
        p.now.title = TextOf(m.value(QStringLiteral("xesam:title")));
        p.now.artist = TextOf(m.value(QStringLiteral("xesam:artist")));
        p.now.album = TextOf(m.value(QStringLiteral("xesam:album")));
        p.now.art = ArtOf(TextOf(m.value(QStringLiteral("mpris:artUrl"))));
    }
    if (p.now.state.isEmpty()) p.now.state = QStringLiteral("stopped");
    Choose();
}

void MediaPlayers::Choose() {
    // The one that plays; else the one that played last; else any.
    const Player* best = nullptr;
    for (const auto& [owner, p] : players_) {
        bool playing = p.now.state == QLatin1String("playing");
        bool bestPlaying = best && best->now.state == QLatin1String("playing");
        if (!best || (playing && !bestPlaying) || (playing == bestPlaying && p.playedAt > best->playedAt))
            best = &p;
    }
    std::optional<NowPlaying> now;
    if (best) now = best->now;
    if (now == now_) return;
    now_ = now;
    emit Changed();
}

} // namespace host::sound
