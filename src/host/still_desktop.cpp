#include "host/still_desktop.h"

#include "desktop/playlist.h"
#include "host/prefix_watch.h"
#include "platform/desktop_host.h"
#include "render/preview_render.h"

#include <QDateTime>
#include <QProcess>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace host {

namespace {

namespace fs = std::filesystem;

const char kSchema[] = "org.gnome.desktop.background";
const char* const kKeys[] = {"picture-uri", "picture-uri-dark"};

std::string Gsettings(const QStringList& args) {
    QProcess p;
    p.start("gsettings", args);
    if (!p.waitForFinished(10000) || p.exitCode() != 0) return {};
    return p.readAllStandardOutput().trimmed().toStdString();
}

// The user's own wallpaper, as GNOME's settings gave it before the first
// still: one line a key.
std::string SavedPath() {
    return platform::PrefixDir() + "/gnome-wallpaper.txt";
}

std::string StillFolder() {
    return platform::PrefixDir() + "/still";
}

} // namespace

StillDesktop::StillDesktop(QSize output) : output_(output.isEmpty() ? QSize(1920, 1080) : output) {
    platform::SetDesktopHostNote(kStillNote);
    std::fprintf(stderr, "zelkora-desktop: %s\n", kStillNote);
    // A little later than a change: the shell saves its state, then counts
    // the change, and a still is drawn once for both. Between changes
    // nothing runs: no page, no look every few seconds.
    WatchPrefix(this, 300, [this] { Look(); }, false);
    playlistDue_.setSingleShot(true);
    connect(&playlistDue_, &QTimer::timeout, this, [this] {
        if (auto step = playlist::Advance(QDateTime::currentSecsSinceEpoch()))
            std::fprintf(stderr, "zelkora-desktop: the playlist shows %s\n", step->module.c_str());
        playlistStamp_ = {}; // read again, with its new step
        WaitForPlaylist();
    });
    Look();
}

StillDesktop::~StillDesktop() {
    platform::SetDesktopHostNote("");
}

void StillDesktop::WaitForPlaylist() {
    platform::FileStamp stamp;
    platform::StatFile(playlist::FilePath(), stamp);
    if (stamp == playlistStamp_) return;
    playlistStamp_ = stamp;
    playlistDue_.stop();
    playlist::Playlist p = playlist::Load();
    if (!p.on) return;
    int64_t now = QDateTime::currentSecsSinceEpoch();
    auto [minute, dayStart] = playlist::LocalDay(now);
    int64_t due = playlist::NextTime(p, now, minute, dayStart);
    if (due < 0) return;
    // A step days away is looked at again within a day (a timer's reach).
    playlistDue_.start(static_cast<int>(std::clamp<int64_t>(due - now, 0, 86400) * 1000));
}

void StillDesktop::Look() {
    WaitForPlaylist();
    platform::FileStamp changes;
    platform::StatFile(platform::DesktopChangesPath(), changes);
    DesktopState now = ReadDesktopState();
    if (shown_ && changes == changes_ && now == state_) return;
    changes_ = changes;
    state_ = now;
    shown_ = true;
    if (!HasSomethingToShow(now)) return SetWallpaper("");
    if (now.show == Show::Page && !now.remote) {
        if (std::string still = Draw(); !still.empty()) return SetWallpaper(still);
    } else if (now.show == Show::Picture) {
        return SetWallpaper(now.wallpaper);
    }
    // A web address, or a page that could not be drawn: the user's own.
    SetWallpaper("");
}

std::string StillDesktop::Draw() {
    // A renderer of its own for each still, gone with it: a page left loaded
    // would go on moving where nobody sees it.
    render::PreviewRenderer renderer(QString::fromStdString(state_.appRoot));
    std::error_code ec;
    fs::create_directories(StillFolder(), ec);
    std::string file = StillFolder() + "/desktop-" + std::to_string(++drawn_) + ".png";
    if (!renderer.Still(QString::fromStdString(state_.wallpaper), QString::fromStdString(file),
                          output_))
        return {};
    return file;
}

void StillDesktop::SetWallpaper(const std::string& picture) {
    std::string saved = platform::ReadWholeFile(SavedPath());
    if (picture.empty()) {
        // The user's own again, once.
        if (saved.empty()) return;
        QStringList lines = QString::fromStdString(saved).split('\n');
        for (int i = 0; i < 2 && i < lines.size(); ++i)
            if (!lines[i].isEmpty()) Gsettings({"set", kSchema, kKeys[i], lines[i]});
        std::error_code ec;
        fs::remove(SavedPath(), ec);
        fs::remove_all(StillFolder(), ec);
        return;
    }
    if (saved.empty()) {
        std::string mine;
        for (const char* key : kKeys)
            mine += Gsettings({"get", kSchema, key}) + "\n";
        platform::WriteLock lock;
        platform::WriteFileAtomic(SavedPath(), mine);
    }
    QString uri = QUrl::fromLocalFile(QString::fromStdString(picture)).toString();
    for (const char* key : kKeys)
        Gsettings({"set", kSchema, key, uri});
    // The stills drawn before go once GNOME shows the new one.
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(StillFolder(), ec))
        if (e.path() != fs::path(picture)) fs::remove(e.path(), ec);
}

} // namespace host
