#include "host/desktop_host.h"

#include "desktop/module_properties.h"
#include "desktop/playlist.h"
#include "desktop/zkr_basOptions.h"
#include "host/fullscreen.h"
#include "host/host_window.h"
#include "host/sound/sound_feed.h"
#include "host/gnome_cover.h"
#include "host/idle_gnome.h"
#include "host/power.h"
#include "host/prefix_watch.h"
#include "host/render_path.h"
#include "platform/desktop_host.h"
#include "sandbox/app_scheme.h"
#include "sandbox/profiles.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QWebEngineProfile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace host {

namespace {

platform::FileStamp StampOf(const std::string& path) {
    platform::FileStamp s;
    if (!platform::StatFile(path, s)) s = {};
    return s;
}

} // namespace

void DesktopHost::MakeProfiles() {
    if (scheme_) return;
    // Installed pages see the installation and no network; a web address the
    // user chose sees the network and not the installation.
    scheme_ = new sandbox::AppSchemeHandler(this);
    scheme_->SetRoot(state_.appRoot);
    installed_ = sandbox::NewInstalledPagesProfile(scheme_, this);
    remote_ = sandbox::NewRemotePagesProfile(this);
}

void DesktopHost::FollowScreens() {
    // With nothing to show the host stays out of the way: no window. Between
    // a page a display and one across them all, the windows are made anew.
    bool across = display_layout::Spans(choices_) && HasSomethingToShow(state_);
    if (!HasSomethingToShow(state_) || across != acrossAll_) {
        for (auto& [screen, window] : windows_)
            window->deleteLater();
        windows_.clear();
    }
    acrossAll_ = across;
    if (!HasSomethingToShow(state_)) return;
    if (acrossAll_) {
        if (windows_.empty()) LayAcrossAll();
        return;
    }
    for (QScreen* screen : QGuiApplication::screens())
        AddScreen(screen);
}

DesktopState DesktopHost::StateOf(QScreen* screen) const {
    auto own = acrossAll_ ? choices_.end() : choices_.find(screen->name().toStdString());
    return own == choices_.end() ? state_ : WithWallpaper(state_, own->second);
}

void DesktopHost::SaveDisplays() {
    // The primary first: the toyz' display.
    QList<QScreen*> screens = QGuiApplication::screens();
    if (QScreen* primary = QGuiApplication::primaryScreen(); screens.removeOne(primary))
        screens.prepend(primary);
    std::vector<display_layout::Display> displays;
    for (QScreen* screen : screens) {
        QRect g = screen->geometry();
        qreal scale = screen->devicePixelRatio();
        displays.push_back({screen->name().toStdString(), qRound(g.width() * scale),
                            qRound(g.height() * scale), scale, g.x(), g.y()});
    }
    if (displays != display_layout::LoadSeen()) display_layout::SaveSeen(displays);
}

DesktopHost::DesktopHost() {
    changesStamp_ = StampOf(platform::DesktopChangesPath());
    shellStamp_ = StampOf(platform::PrefixDir() + "/shell.ini");
    registryStamp_ = StampOf(platform::PrefixDir() + "/registry.reg");
    choicesStamp_ = StampOf(display_layout::ChoicesPath());
    state_ = ReadDesktopState();
    choices_ = display_layout::LoadChoices();
    platform::SetDesktopPageStopped("");
    if (!state_.problem.empty())
        std::fprintf(stderr, "zelkora-desktop: %s\n", state_.problem.c_str());

    FollowScreens();
    // Every screen is kept in the prefix's list, shown on or not.
    for (QScreen* screen : QGuiApplication::screens())
        connect(screen, &QScreen::geometryChanged, this, &DesktopHost::ScreensChanged);
    SaveDisplays();
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, &DesktopHost::ScreensChanged);
        ScreensChanged();
        AddScreen(screen);
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &DesktopHost::RemoveScreen);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this](QScreen* primary) {
        if (!acrossAll_)
            for (auto& [screen, window] : windows_)
                window->SetToyz(screen == primary);
        SaveDisplays();
    });

    // Each change is seen at once; where the folder cannot be watched, a look
    // every second stands in.
    WatchPrefix(this, 20, [this] { Look(); });
    power_ = new PowerWatch(this);
    connect(power_, &PowerWatch::Changed, this, &DesktopHost::CheckCovered);
    gnomeIdle_ = new GnomeIdle(this);
    connect(gnomeIdle_, &GnomeIdle::Changed, this, &DesktopHost::CheckCovered);
    gnomeCover_ = new GnomeCover(this);
    connect(gnomeCover_, &GnomeCover::Changed, this, &DesktopHost::CheckCovered);
    connect(power_, &PowerWatch::Resumed, this, [this] {
        CheckCovered();
        for (auto& [screen, window] : windows_)
            window->Wake();
    });
    sound_ = new sound::SoundFeed(this);
    covered_ = new QTimer(this);
    connect(covered_, &QTimer::timeout, this, &DesktopHost::CheckCovered);
    connect(covered_, &QTimer::timeout, this, &DesktopHost::CheckClock);
    connect(covered_, &QTimer::timeout, this, &DesktopHost::CheckPlaylist);
    covered_->start(1000);
    sinceLook_.start();
    wallAtLook_ = QDateTime::currentMSecsSinceEpoch();
    auto* budget = new QTimer(this);
    connect(budget, &QTimer::timeout, this, &DesktopHost::CheckBudget);
    budget->start(2000);
}

DesktopHost::~DesktopHost() {
    for (auto& [screen, window] : windows_)
        delete window;
}

HostWindow* DesktopHost::MakeWindow(QScreen* screen, bool acrossAll) {
    MakeProfiles();
    auto* w = new HostWindow(screen, installed_, remote_, acrossAll);
    windows_[screen] = w;
    connect(w, &HostWindow::PageEnded, this, &DesktopHost::OnPageEnded);
    // The toyz are on the first display, or in the one page across them all.
    w->SetToyz(acrossAll || screen == QGuiApplication::primaryScreen());
    w->ShowState(StateOf(screen), true);
    w->show();
    w->lower();
    KeepDesktopStates(w->winId());
    return w;
}

void DesktopHost::AddScreen(QScreen* screen) {
    if (acrossAll_) {
        ScreensChanged();
        return;
    }
    if (windows_.count(screen) || !HasSomethingToShow(state_)) return;
    HostWindow* w = MakeWindow(screen, false);
    connect(screen, &QScreen::geometryChanged, w, [w] { w->FitScreen(); });
}

void DesktopHost::LayAcrossAll() {
    for (auto& [screen, window] : windows_)
        window->deleteLater();
    windows_.clear();
    // Drawn at the finest scale, the primary's when they are alike: the
    // displays of coarser scales show the same pixels made smaller.
    QScreen* finest = QGuiApplication::primaryScreen();
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->devicePixelRatio() > finest->devicePixelRatio()) finest = screen;
    MakeWindow(finest, true);
}

void DesktopHost::ScreensChanged() {
    SaveDisplays();
    if (!acrossAll_ || relayPending_) return;
    // Screens come and change several at a time: laid anew once they settled.
    relayPending_ = true;
    QTimer::singleShot(300, this, [this] {
        relayPending_ = false;
        if (acrossAll_) LayAcrossAll();
    });
}

void DesktopHost::RemoveScreen(QScreen* screen) {
    // Told before the screen is gone from the application's list.
    QTimer::singleShot(0, this, &DesktopHost::ScreensChanged);
    auto it = windows_.find(screen);
    if (it == windows_.end()) return;
    it->second->deleteLater();
    windows_.erase(it);
}

void DesktopHost::Show(bool reload, bool changedOnly) {
    if (scheme_ && !state_.appRoot.empty()) scheme_->SetRoot(state_.appRoot);
    // Windows made now show the state as they are made: all of them when the
    // layout changes between a page a display and one across them all.
    bool had = !windows_.empty() && display_layout::Spans(choices_) == acrossAll_;
    FollowScreens();
    // A change shown tries the page again, budget and all.
    if (reload) {
        platform::SetDesktopPageStopped("");
        pageEnds_.Reset();
    }
    budgets_.clear();
    if (!had) return;
    for (auto& [screen, window] : windows_) {
        DesktopState shows = StateOf(screen);
        window->ShowState(shows, reload && !(changedOnly && shows == window->Shown()));
    }
}

void DesktopHost::Look() {
    if (platform::FileStamp p = StampOf(module_properties::StoreFile()); !(p == propertiesStamp_)) {
        propertiesStamp_ = p;
        for (auto& [screen, window] : windows_)
            window->PropertiesChanged();
    }
    platform::FileStamp changes = StampOf(platform::DesktopChangesPath());
    platform::FileStamp shell = StampOf(platform::PrefixDir() + "/shell.ini");
    platform::FileStamp registry = StampOf(platform::PrefixDir() + "/registry.reg");
    platform::FileStamp choices = StampOf(display_layout::ChoicesPath());
    if (changes == changesStamp_ && shell == shellStamp_ && registry == registryStamp_ &&
        choices == choicesStamp_) {
        if (!pending_) return;
    } else if (changes == changesStamp_ && !pending_) {
        // shell.ini or the registry changed without a counted change: the
        // shell counts an applied change just after saving it, so wait one
        // look for the count rather than load the page twice.
        shellStamp_ = shell;
        registryStamp_ = registry;
        choicesStamp_ = choices;
        pending_ = true;
        QTimer::singleShot(300, this, &DesktopHost::Look);
        return;
    }
    pending_ = false;
    // The shell writes the counter file only to count a change.
    bool counted = !(changes == changesStamp_);
    changesStamp_ = changes;
    shellStamp_ = shell;
    registryStamp_ = registry;
    choicesStamp_ = choices;
    DesktopState now = ReadDesktopState();
    display_layout::Choices own = display_layout::LoadChoices();
    if (!now.problem.empty() && now.problem != state_.problem)
        std::fprintf(stderr, "zelkora-desktop: %s\n", now.problem.c_str());
    // An applied change loads the page again, even at the same address; a
    // file changed by other means shows only what differs.
    if (!counted && now == state_ && own == choices_) return;
    // A module given to one display leaves the others' pages as they are.
    bool displaysOnly = now == state_ && own != choices_;
    // WebGL needs OpenGL; a page that wants it, or the first after it that
    // does not, is drawn by the host started anew on the path it needs.
    bool webgl = NeedsOfPages(now, own).webgl;
    if (!PathSuits(webgl)) {
        std::fprintf(stderr, "zelkora-desktop: %s\n",
                     webgl ? "the page draws with WebGL: the desktop starts anew to draw it through OpenGL"
                               : "the page needs no WebGL: the desktop starts anew without OpenGL");
        DrawAnew();
    }
    state_ = now;
    choices_ = std::move(own);
    Show(counted, displaysOnly);
}

void DesktopHost::CheckCovered() {
    // The user's choice is read again whenever its file changes.
    if (platform::FileStamp s = StampOf(state_.preferences); !(s == preferencesStamp_)) {
        preferencesStamp_ = s;
        pauseOnBattery_ = PauseOnBattery(state_.preferences);
        soundAllowed_ = zkr_SoundAllowed(state_.preferences);
    }
    bool resting = DisplayAsleep() || gnomeIdle_->Idle() || (pauseOnBattery_ && power_->OnBattery());
    QSet<quintptr> ours;
    for (auto& [screen, window] : windows_)
        ours.insert(window->winId());
    const QRegion others = resting ? QRegion() : OtherWindows(ours);
    auto covered = [&](QScreen* screen) {
        QRect device(screen->geometry().topLeft() * screen->devicePixelRatio(),
                     screen->geometry().size() * screen->devicePixelRatio());
        return Covers(others, device) || gnomeCover_->Covers(screen->name(), screen->geometry());
    };
    for (auto& [screen, window] : windows_) {
        // Where the window system tells only that a window is not drawn
        // (Wayland), that is enough. A page across all displays rests when
        // every display is covered.
        bool unseen = window->windowHandle() && !window->windowHandle()->isExposed();
        QList<QScreen*> under = window->Screens();
        window->SetPaused(resting || unseen || std::all_of(under.begin(), under.end(), covered));
    }
    // What the pages shown hear: a display's own module may listen too.
    PageNeeds needs = state_.needs;
    for (auto& [screen, window] : windows_) {
        const PageNeeds& its = window->Shown().needs;
        if ((its.audio || its.media) && !needs.audio && !needs.media) needs.module = its.module;
        needs.audio = needs.audio || its.audio;
        needs.media = needs.media || its.media;
    }
    sound_->Update(windows_, needs.module.empty() ? "the module" : needs.module,
                   soundAllowed_ && needs.audio, soundAllowed_ && needs.media);
}

void DesktopHost::CheckBudget() {
    // A resting page costs nothing and is not looked at (nor is the host
    // woken for it, nor the system's processes walked); its budget starts
    // again when it wakes. A module shown on several displays is one page's
    // code (one renderer may serve them all); each module is held to the
    // budget on its own.
    std::map<std::string, std::vector<HostWindow*>> pages;
    for (auto& [screen, window] : windows_)
        if (window->ShowsPage() && !window->Paused()) pages[window->Shown().wallpaper].push_back(window);
    for (auto it = budgets_.begin(); it != budgets_.end();)
        it = pages.count(it->first) ? std::next(it) : budgets_.erase(it);
    if (pages.empty()) return;
    // The pages' renderers give way to the user's programs; the zygotes are
    // lowered too, so that renderers started later begin low. Their threads
    // are looked at again only when the processes have changed.
    ProcessTree below = ProcessesBelow(::getpid());
    if (below != lowered_) {
        LowerPriority(below);
        lowered_ = below;
    }
    LowerPageThreadsOfHost(::getpid()); // made when a page first asks for WebGL
    // What is no page's own renderer (the browser's services) counts for every page.
    std::vector<pid_t> all = PageProcesses(below), shared = all;
    for (auto& [screen, window] : windows_)
        shared.erase(std::remove(shared.begin(), shared.end(), pid_t(window->RendererPid())), shared.end());
    long long now = QDateTime::currentMSecsSinceEpoch();
    for (auto& [page, shown] : pages) {
        std::vector<pid_t> pids = shared;
        for (HostWindow* window : shown)
            if (pid_t pid = pid_t(window->RendererPid());
                pid > 0 && std::count(all.begin(), all.end(), pid) && !std::count(pids.begin(), pids.end(), pid))
                pids.push_back(pid);
        std::string why = budgets_.try_emplace(page, budget_).first->second.Look(pids, now, ::getpid());
        if (why.empty()) continue;
        std::fprintf(stderr, "zelkora-desktop: stopped the page %s: %s\n", page.c_str(), why.c_str());
        StopPage(page, shown, why);
        budgets_.erase(page);
    }
}

void DesktopHost::StopPage(const std::string& page, const std::vector<HostWindow*>& shown,
                           const std::string& why) {
    bool others = false;
    for (auto& [screen, window] : windows_)
        others = others || (window->ShowsPage() && std::find(shown.begin(), shown.end(), window) == shown.end());
    if (others) {
        // The other displays' modules go on, on the profiles they have.
        platform::SetDesktopPageStopped(page + ": " + why);
        for (HostWindow* window : shown)
            window->StopPage();
        return;
    }
    StopPages(why);
    // What the page stored lives in its profile for as long as the profile
    // does: the pages get fresh profiles, and the old ones go with it.
    QWebEngineProfile* oldInstalled = installed_;
    QWebEngineProfile* oldRemote = remote_;
    installed_ = sandbox::NewInstalledPagesProfile(scheme_, this);
    remote_ = sandbox::NewRemotePagesProfile(this);
    for (auto& [screen, window] : windows_)
        window->SetProfiles(installed_, remote_);
    delete oldInstalled;
    delete oldRemote;
}

void DesktopHost::StopPages(const std::string& why) {
    platform::SetDesktopPageStopped(state_.wallpaper + ": " + why);
    for (auto& [screen, window] : windows_)
        window->StopPage();
}

void DesktopHost::OnPageEnded(RendererEnd how, int exitCode) {
    // One renderer serves every screen: its end reaches each screen's page,
    // within a moment, and counts once.
    if (pageEndPending_) return;
    pageEndPending_ = true;
    QTimer::singleShot(200, this, [this, how, exitCode] {
        pageEndPending_ = false;
        RecoverPages(DescribeRendererEnd(how, exitCode));
    });
}

void DesktopHost::RecoverPages(const std::string& ended) {
    if (pageEnds_.Add(SteadyMs())) {
        std::string why = "its renderer ended 3 times within 2 minutes (last it " + ended + ")";
        std::fprintf(stderr, "zelkora-desktop: gave up the page %s: %s\n",
                     state_.wallpaper.c_str(), why.c_str());
        StopPages(why);
        return;
    }
    std::fprintf(stderr, "zelkora-desktop: the renderer of the page %s %s; the page is loaded again\n",
                 state_.wallpaper.c_str(), ended.c_str());
    // What the toyz stored lives in the prefix, and is read again with the page.
    for (auto& [screen, window] : windows_)
        window->ShowState(StateOf(screen), true);
}

void DesktopHost::CheckClock() {
    qint64 wall = QDateTime::currentMSecsSinceEpoch();
    qint64 elapsed = sinceLook_.restart();
    qint64 wallElapsed = wall - wallAtLook_;
    wallAtLook_ = wall;
    // The look runs every second: far later means the host did not run (a
    // sleep, a stop); a wall clock that moved otherwise than the host's own
    // was set, or slept through.
    if (elapsed < 5000 && std::abs(wallElapsed - elapsed) < 2000) return;
    for (auto& [screen, window] : windows_)
        window->Wake();
}

void DesktopHost::CheckPlaylist() {
    // The file is read again only when it changed; the catalogue only when a
    // step is due.
    platform::FileStamp stamp = StampOf(playlist::FilePath());
    int64_t now = QDateTime::currentSecsSinceEpoch();
    if (!(stamp == playlistStamp_)) {
        playlistStamp_ = stamp;
        playlist::Playlist p = playlist::Load();
        auto [minute, dayStart] = playlist::LocalDay(now);
        playlistDue_ = p.on ? playlist::NextTime(p, now, minute, dayStart) : -1;
    }
    if (playlistDue_ < 0 || now < playlistDue_) return;
    // A desktop nobody sees stays as it is; seen again, it catches up once.
    bool seen = false;
    for (auto& [screen, window] : windows_)
        seen = seen || (window->ShowsPage() && !window->Paused());
    if (!seen) return;
    if (auto step = playlist::Advance(now))
        std::fprintf(stderr, "zelkora-desktop: the playlist shows %s\n", step->module.c_str());
    playlistStamp_ = {}; // read again, with its new step
}

} // namespace host
