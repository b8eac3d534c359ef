// The sound for the desktop's pages: heard while a module that may hear is
// shown (it asks in its zelkora.json, and the user lets modules hear), and
// sent to each page that is seen and listens. The spectrum is made once for
// all of them.
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

class SoundFeed : public QObject {
  public:
    explicit SoundFeed(QObject* parent);
    ~SoundFeed() override;
    // Looked at every second, and at each change: module is the shown
    // module's name when it may hear ("" when none may).
    void Update(const std::map<QScreen*, HostWindow*>& windows, const std::string& module);

  private:
    void Send(const Values& values);

    std::unique_ptr<Capture> capture_; // made when a module first may hear
    const std::map<QScreen*, HostWindow*>* windows_ = nullptr;
    std::string note_; // what was said of the sound last
};

} // namespace sound
} // namespace host
