#include "platform/desktop_host.h"

#include "platform/prefix.h"
#include "platform/process.h"
#include "runtime/app.h"
#include "runtime/failure.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string HostLockPath() {
    std::string key = DesktopDisplay();
    for (char& c : key)
        if (c == '/' || c == ' ') c = '_';
    return PrefixDir() + "/.desktop-host" + key + ".lock";
}

std::string HostProgram() {
    if (std::string p = Env("ZELKORA_DESKTOP_PROGRAM"); !p.empty()) return p;
    char self[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string dir(self, static_cast<size_t>(n));
        dir = dir.substr(0, dir.rfind('/'));
        // Beside the Manager, or one folder up from the tools.
        for (const std::string& d : {dir, dir.substr(0, dir.rfind('/'))})
            if (auto found = ResolveCommandLine("\"" + d + "/zelkora-desktop\""))
                return found->program;
    }
    // Else as the launcher finds a bare program name: on the PATH.
    auto found = ResolveCommandLine("zelkora-desktop");
    return found ? found->program : std::string();
}

} // namespace

std::string DesktopChangesPath() {
    return PrefixDir() + "/desktop.changes";
}

uint64_t DesktopChangeCount() {
    std::string bytes;
    if (!ReadWholeFile(DesktopChangesPath(), bytes)) return 0;
    return std::strtoull(bytes.c_str(), nullptr, 10);
}

void SignalDesktopChanged() {
    {
        WriteLock lock;
        WriteFileAtomic(DesktopChangesPath(), std::to_string(DesktopChangeCount() + 1) + "\n");
    }
    StartDesktopHostIfNeeded();
}

namespace {
std::string StoppedPath() {
    return PrefixDir() + "/desktop.stopped";
}
} // namespace

namespace {

// A line the host keeps in the prefix for the programs of the system; gone
// when there is nothing to say.
std::string ReadNote(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return {};
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r'))
        bytes.pop_back();
    return bytes;
}

void WriteNote(const std::string& path, const std::string& text) {
    WriteLock lock;
    if (text.empty())
        ::unlink(path.c_str());
    else
        WriteFileAtomic(path, text + "\n");
}

} // namespace

std::string DesktopPageStopped() {
    return ReadNote(StoppedPath());
}

void SetDesktopPageStopped(const std::string& why) {
    WriteNote(StoppedPath(), why);
}

std::string DesktopHostNote() {
    return ReadNote(PrefixDir() + "/desktop.note");
}

void SetDesktopHostNote(const std::string& note) {
    WriteNote(PrefixDir() + "/desktop.note", note);
}

std::string DesktopSoundNote() {
    return ReadNote(PrefixDir() + "/desktop.sound");
}

void SetDesktopSoundNote(const std::string& note) {
    WriteNote(PrefixDir() + "/desktop.sound", note);
}

std::string DesktopDisplay() {
    if (std::string d = Env("DISPLAY"); !d.empty()) return d;
    return Env("WAYLAND_DISPLAY");
}

int TakeDesktopHostLock() {
    ::mkdir(PrefixDir().c_str(), 0755);
    int fd = ::open(HostLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool DesktopHostRunning() {
    int fd = ::open(HostLockPath().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // releases the shared lock, if it was taken
    return held;
}

bool StartDesktopHostIfNeeded() {
    if (Env("ZELKORA_DESKTOP_HOST") == "0" || DesktopDisplay().empty()) return false;
    std::string qpa = Env("QT_QPA_PLATFORM");
    if (qpa.rfind("offscreen", 0) == 0 || qpa.rfind("minimal", 0) == 0) return false;
    if (DesktopHostRunning()) return false;
    std::string program = HostProgram();
    if (program.empty()) return false;
    // Started as every program is: detached, in a session of its own, reaped;
    // and kept running, as the session's autostart keeps it.
    try {
        Interaction::Shell("\"" + program + "\" --keep-running", 0);
        return true;
    } catch (const Failure&) {
        return false;
    }
}

} // namespace platform
