#include "host/sound/sound_feed.h"

#include "host/host_window.h"
#include "host/sound/capture.h"
#include "platform/desktop_host.h"

#include <QMetaObject>
#include <cstdio>

namespace host::sound {

SoundFeed::SoundFeed(QObject* parent) : QObject(parent) {}

SoundFeed::~SoundFeed() {
    capture_.reset(); // its thread ends before this object does
    if (!note_.empty()) platform::SetDesktopSoundNote("");
}

void SoundFeed::Update(const std::map<QScreen*, HostWindow*>& windows, const std::string& module) {
    windows_ = &windows;
    bool listening = false;
    if (!module.empty()) {
        for (auto& [screen, window] : windows) {
            // A page registers its listener when it likes: asked until it has.
            if (!window->Listens()) window->AskWhetherListening();
            listening = listening || window->Listens();
        }
    }
    if (!module.empty() && !capture_) {
        capture_ = std::make_unique<Capture>([this](const Values& v) {
            // From the capture's thread: sent on the host's own (the
            // capture ends before this object does).
            QMetaObject::invokeMethod(this, [this, v] { Send(v); }, Qt::QueuedConnection);
        });
    }
    if (capture_) capture_->Set(!module.empty(), listening);
    std::string note = listening ? module + " hears the sound" : "";
    if (note != note_) {
        note_ = note;
        platform::SetDesktopSoundNote(note);
    }
}

void SoundFeed::Send(const Values& values) {
    if (!windows_) return;
    // Two decimals: all a bar of a few hundred pixels can show.
    QString text = QStringLiteral("[");
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) text += ',';
        text += QString::number(double(values[i]), 'f', 2);
    }
    text += ']';
    for (auto& [screen, window] : *windows_)
        window->SendSound(text);
}

} // namespace host::sound
