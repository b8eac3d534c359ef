// The desktop host: a window on every screen, kept in line with the emulated
// desktop. It looks at the shell's change counter, shell.ini and registry.reg
// whenever the prefix's folder changes (and every few seconds besides), shows each
// change, loads the page again at every counted change, and freezes a page
// while a window covers its whole screen.
#pragma once

#include "desktop/display_layout.h"
#include "host/desktop_state.h"
#include "host/page_budget.h"
#include "host/recovery.h"
#include "platform/prefix.h"

#include <QElapsedTimer>
#include <QObject>
#include <map>
#include <vector>

class QScreen;
class QTimer;
class QWebEngineProfile;

namespace sandbox {
class AppSchemeHandler;
}

namespace host {

class GnomeCover;
class GnomeIdle;
class HostWindow;
class PowerWatch;
namespace sound {
class SoundFeed;
}

class DesktopHost : public QObject {
    Q_OBJECT

  public:
    DesktopHost();
    ~DesktopHost() override;
    const std::map<QScreen*, HostWindow*>& Windows() const { return windows_; }

  private:
    void AddScreen(QScreen* screen);
    void RemoveScreen(QScreen* screen);
    // A screen came, went or changed: kept in the prefix, and a page across
    // all displays laid anew over them.
    void ScreensChanged();
    HostWindow* MakeWindow(QScreen* screen, bool acrossAll);
    // One window over the rectangle that bounds every screen, drawn for the
    // finest of them.
    void LayAcrossAll();
    void Look();
    // Freezes the page of each screen nobody can see: covered by windows,
    // the display asleep, or on battery when the user chose that.
    void CheckCovered();
    // Stops a page that is over its budget.
    void CheckBudget();
    // Takes a page over its budget off the displays that show it: off every
    // display, with fresh profiles, when no other module is shown.
    void StopPage(const std::string& page, const std::vector<HostWindow*>& shown, const std::string& why);
    // Takes every screen's page off, for why: the classic wallpaper until
    // the next change shown.
    void StopPages(const std::string& why);
    // A page whose renderer ended is loaded again, or given up when it ends
    // too often.
    void OnPageEnded(RendererEnd how, int exitCode);
    void RecoverPages(const std::string& ended);
    // A gap in the host's own timers (the machine slept, or the host was
    // stopped) or a jump of the wall clock wakes the pages' timers.
    void CheckClock();
    // Takes the playlist's next step when it is due and the desktop is seen.
    void CheckPlaylist();
    // Shows the state on every screen; reload loads the pages again, all of
    // them or, when only displays' own modules changed, the changed ones.
    void Show(bool reload, bool changedOnly = false);
    // What a screen shows: its own module, or the one of every display.
    DesktopState StateOf(QScreen* screen) const;
    // Keeps the displays as they are now in the prefix, for the programs
    // that have no display connection of their own.
    void SaveDisplays();

    // The browser's profiles, made with the first window that needs them.
    void MakeProfiles();
    // A window on every screen while there is something to show, none else.
    void FollowScreens();

    sandbox::AppSchemeHandler* scheme_ = nullptr;
    QWebEngineProfile* installed_ = nullptr;
    QWebEngineProfile* remote_ = nullptr;
    const Budget budget_ = BudgetInForce();
    std::map<std::string, BudgetWatch> budgets_; // of each page shown, by its address
    ProcessTree lowered_; // the processes whose threads were lowered last
    std::map<QScreen*, HostWindow*> windows_;
    DesktopState state_;
    display_layout::Choices choices_; // the displays that have a module of their own
    bool acrossAll_ = false; // one page across all displays
    bool relayPending_ = false; // the screens changed under it
    platform::FileStamp changesStamp_, shellStamp_, registryStamp_, choicesStamp_;
    bool pending_ = false; // a file changed, its count not seen yet
    QTimer* covered_;
    PowerWatch* power_;
    GnomeIdle* gnomeIdle_;
    GnomeCover* gnomeCover_;
    platform::FileStamp preferencesStamp_;
    bool pauseOnBattery_ = false;
    bool soundAllowed_ = true; // the user lets modules hear
    sound::SoundFeed* sound_;
    FailureWindow pageEnds_ = PageEndsWindow();
    bool pageEndPending_ = false;
    platform::FileStamp playlistStamp_;
    platform::FileStamp propertiesStamp_; // the values of modules' properties
    int64_t playlistDue_ = -1; // wall seconds; -1: no playlist
    QElapsedTimer sinceLook_;
    qint64 wallAtLook_ = 0;
};

} // namespace host
