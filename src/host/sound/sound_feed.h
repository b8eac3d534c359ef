// What the desktop's pages hear: the sound the computer plays and what the
// music player plays, while a module that asks for them is shown (its
// zelkora.json says so, and the user lets modules hear), sent to each page
// that is seen and listens. The spectrum is made once for all of them.
#pragma once

#include "host/sound/spectrum.h"

#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <string>

class QScreen;

namespace host {

class HostWindow;

namespace sound {

class Capture;
class MediaPlayers;

class SoundFeed : public QObject {
  public:
    explicit SoundFeed(QObject* parent);
    ~SoundFeed() override;
    // Looked at every second, and at each change: the shown module's name,
    // and whether it may hear the sound and see what plays.
    void Update(const std::map<QScreen*, HostWindow*>& windows, const std::string& module,
                bool sound, bool media);

  private:
    void SendSound(const Values& values);
    void SendMedia();

    std::unique_ptr<Capture> capture_; // made when a module first may hear
    MediaPlayers* players_ = nullptr;  // while a module may see what plays
    const std::map<QScreen*, HostWindow*>* windows_ = nullptr;
    std::string note_; // what was said of the sound last
};

} // namespace sound
} // namespace host
