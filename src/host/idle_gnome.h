// Whether the session is idle, as GNOME's compositor tells (its idle monitor
// on the session bus). On GNOME the desktop may be an X11 window under
// Xwayland, which sees neither the native windows over it nor GNOME's screen
// saver; the idle session is what GNOME does tell, so the desktop rests then.
#pragma once

#include <QObject>

namespace host {

class GnomeIdle : public QObject {
    Q_OBJECT

  public:
    explicit GnomeIdle(QObject* parent = nullptr);
    // False where GNOME's idle monitor cannot be reached.
    bool Idle() const { return idle_; }

  signals:
    void Changed();

  private slots:
    void WatchFired(uint id);

  private:
    uint idleWatch_ = 0, activeWatch_ = 0;
    bool idle_ = false;
};

} // namespace host
