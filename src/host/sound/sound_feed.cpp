#include "host/sound/sound_feed.h"

#include "host/host_window.h"
#include "host/sound/capture.h"
#include "host/sound/media_players.h"
#include "platform/desktop_host.h"

#include <QMetaObject>

namespace host::sound {

using Hearing = HostWindow::Hearing;

SoundFeed::SoundFeed(QObject* parent) : QObject(parent) {}

SoundFeed::~SoundFeed() {
    capture_.reset(); // its thread ends before this object does
    if (!note_.empty()) platform::SetDesktopSoundNote("");
}

void SoundFeed::Update(const std::map<QScreen*, HostWindow*>& windows, const std::string& module,
                       bool sound, bool media) {
    windows_ = &windows;
    bool listening = false;
    for (auto& [screen, window] : windows) {
        // A page registers its listeners when it likes: asked until it has.
        if ((sound && !window->Listens(Hearing::Sound)) || (media && !window->Listens(Hearing::Media)))
            window->AskWhetherListening([this] { SendMedia(); });
        listening = listening || (sound && window->Listens(Hearing::Sound));
    }
    if (sound && !capture_) {
        capture_ = std::make_unique<Capture>([this](const Values& v) {
            // From the capture's thread: sent on the host's own (the
            // capture ends before this object does).
            QMetaObject::invokeMethod(this, [this, v] { SendSound(v); }, Qt::QueuedConnection);
        });
    }
    if (capture_) capture_->Set(sound, listening);
    // Players are followed only for a module that may see them.
    if (media && !players_) {
        players_ = new MediaPlayers(this);
        connect(players_, &MediaPlayers::Changed, this, &SoundFeed::SendMedia);
    } else if (!media && players_) {
        delete players_;
        players_ = nullptr;
    }
    std::string note = listening ? module + " hears the sound" : "";
    if (note != note_) {
        note_ = note;
        platform::SetDesktopSoundNote(note);
    }
}

void SoundFeed::SendSound(const Values& values) {
    if (!windows_) return;
    // Two decimals: all a bar of a few hundred pixels can show.
    QString text = QStringLiteral("[");
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) text += ',';
        text += QString::number(double(values[i]), 'f', 2);
    }
    text += ']';
    for (auto& [screen, window] : *windows_)
        window->Tell(Hearing::Sound, text);
}

void SoundFeed::SendMedia() {
    if (!windows_ || !players_) return;
    QString json = NowPlayingJson(players_->Now());
    for (auto& [screen, window] : *windows_)
        window->Tell(Hearing::Media, json);
}

} // namespace host::sound
