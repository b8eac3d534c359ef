// What the music players play, as they publish it on the session bus
// (MPRIS: org.mpris.MediaPlayer2.*): the one that plays, else the one that
// played last. Followed only while this object lives.
#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <map>
#include <optional>

namespace host::sound {

struct NowPlaying {
    QString title, artist, album;
    QString state; // "playing", "paused" or "stopped"
    QString art;   // a data: address of the cover, "" for none
    bool operator==(const NowPlaying&) const = default;
};

// The page's form: {title, artist, album, state, art}, or null.
QString NowPlayingJson(const std::optional<NowPlaying>& now);

class MediaPlayers : public QObject {
    Q_OBJECT

  public:
    explicit MediaPlayers(QObject* parent);
    // Nothing when no player is left.
    std::optional<NowPlaying> Now() const { return now_; }

  signals:
    void Changed();

  private slots:
    void OnOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);
    void OnPropertiesChanged(const QDBusMessage& message);

  private:
    struct Player {
        NowPlaying now;
        qint64 playedAt = 0; // when it last played (a count, not a time)
    };
    void Follow(const QString& owner);
    void Take(const QString& owner, const QVariantMap& properties);
    void Choose();

    std::map<QString, Player> players_; // by the bus name of the player's owner
    std::optional<NowPlaying> now_;
    qint64 turns_ = 0;
};

} // namespace host::sound
