// Where the compositor offers no layer-shell and there is no X display to put
// a desktop window on (GNOME's Mutter without Xwayland), nothing of Zelkora
// may be an ordinary window: the applied module becomes a still picture at
// the output's size, set as the user's own wallpaper through GNOME's
// settings. The user's wallpaper is kept, and given back when Zelkora has
// nothing to show (the Active Desktop switched off, Zelkora removed).
#pragma once

#include "host/desktop_state.h"
#include "platform/prefix.h"

#include <QObject>
#include <QSize>
#include <QTimer>

namespace host {

// What the host says once, on standard error and in the Manager's status line.
inline constexpr char kStillNote[] = "Moving modules need a desktop with layer-shell: this one "
                                     "shows a still of the module.";

class StillDesktop : public QObject {
  public:
    explicit StillDesktop(QSize output);
    ~StillDesktop() override;

  private:
    void Look();
    // Makes the still of the page; "" when it could not be drawn.
    std::string Draw();
    // The wallpaper GNOME shows: a picture, or the user's own again ("").
    void SetWallpaper(const std::string& picture);
    // Wakes the desktop when the playlist's next step is due, and not before.
    void WaitForPlaylist();

    QSize output_;
    DesktopState state_;
    platform::FileStamp changes_;
    bool shown_ = false;
    int drawn_ = 0; // stills drawn: each has a name of its own, so GNOME loads it
    platform::FileStamp playlistStamp_;
    QTimer playlistDue_;
};

} // namespace host
