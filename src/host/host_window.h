// The desktop of one screen: a frameless window below every other one that
// shows the Active Desktop page or picture, or the classic wallpaper.
#pragma once

#include "host/desktop_state.h"
#include "host/recovery.h"

#include <QPixmap>
#include <QWidget>
#include <functional>

class QStackedLayout;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;

namespace sandbox {
class LockedPage;
}

namespace host {

// Draws a picture tiled, centred or stretched over a background colour.
class PictureView : public QWidget {
  public:
    using QWidget::QWidget;
    void Set(const QPixmap& picture, Placement placement);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QPixmap picture_;
    Placement placement_ = Placement::Centre;
};

class HostWindow : public QWidget {
    Q_OBJECT

  public:
    // Installed pages run on the first profile, web addresses on the second.
    // A window across all displays covers the rectangle that bounds them,
    // one page over them all; the screen is then the one it is drawn for.
    HostWindow(QScreen* screen, QWebEngineProfile* installed, QWebEngineProfile* remote,
               bool acrossAll = false);
    // Shows the state; a page loads again when asked, even at the same address.
    void ShowState(const DesktopState& state, bool reload);
    // What the window shows now.
    const DesktopState& Shown() const { return state_; }
    // Whether the page places the bound toyz: on one display only, so that a
    // toy is never shown twice. A change loads the page shown again.
    void SetToyz(bool shown);
    // Freezes the page while nobody can see it, and wakes it again.
    void SetPaused(bool paused);
    bool Paused() const { return paused_; }
    QScreen* Screen() const { return screen_; }
    // The screens the window shows on: its own, or all of them.
    QList<QScreen*> Screens() const;
    bool ShowsPage() const;
    // The process the page runs in (0 when none).
    qint64 RendererPid() const;
    // Takes the page off (over its budget): the classic wallpaper until the
    // next change.
    void StopPage();
    // New profiles for the pages from now on; the page made on the old one goes.
    void SetProfiles(QWebEngineProfile* installed, QWebEngineProfile* remote);
    void FitScreen();
    // After a sleep or a jump of the clock: the page's timers (a clock toy's
    // tick) run at once, at the wall clock's new time.
    void Wake();
    // The user changed a property of a module: its page reads them again (a
    // frozen page reads them when it is seen).
    void PropertiesChanged();
    // What a page may listen to: the sound, and what the music player plays.
    enum class Hearing { Sound, Media };
    // Whether the page shown and seen listens (its answer to the last
    // question); the question, with what to do when an answer changes it;
    // and what it hears, as JSON (a spectrum's array, the track's object).
    bool Listens(Hearing what) const;
    void AskWhetherListening(const std::function<void()>& changed);
    void Tell(Hearing what, const QString& json);

  signals:
    // The page's renderer ended while the page was shown, other than by the
    // host's own stop.
    void PageEnded(host::RendererEnd how, int exitCode);

  protected:
    bool event(QEvent* e) override;

  private:
    void ShowClassic();
    void Blank();
    void OnLoading(const QWebEngineLoadingInfo& info);
    // The page for the kind of address, made when the kind changes.
    sandbox::LockedPage* PageFor(bool remote);
    // Calls a member of the shown page's Zelkora object, if it has one,
    // with an argument given as JavaScript.
    void CallPage(const char* member, const QString& argument = {});
    // What the page said of itself belongs to the page: a new one is asked anew.
    void Forget();

    QScreen* screen_;
    bool acrossAll_;
    QStackedLayout* stack_;
    PictureView* picture_;
    QWebEngineView* web_;
    QWebEngineProfile* installed_;
    QWebEngineProfile* remote_;
    sandbox::LockedPage* page_ = nullptr;
    DesktopState state_;
    bool paused_ = false;
    bool toyz_ = true;
    bool pageShown_ = false;
    bool listensSound_ = false, listensMedia_ = false;
    quint64 loads_ = 0; // pages loaded: an answer about an earlier one is dropped
};

} // namespace host
