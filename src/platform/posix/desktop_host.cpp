#include "platform/desktop_host.h"

#include "platform/prefix.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <limits.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

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

bool IsExecutable(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(p.c_str(), X_OK) == 0;
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
            if (IsExecutable(d + "/zelkora-desktop")) return d + "/zelkora-desktop";
    }
    std::string path = Env("PATH");
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find(':', i);
        if (j == std::string::npos) j = path.size();
        std::string cand = path.substr(i, j - i) + "/zelkora-desktop";
        if (j > i && IsExecutable(cand)) return cand;
        i = j + 1;
    }
    return {};
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
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    char* argv[] = {program.data(), nullptr};
    pid_t pid = 0;
    int rc = posix_spawn(&pid, program.c_str(), &files, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&files);
    if (rc != 0) return false;
    // Nobody waits for it; this keeps it from lingering as a zombie should it end.
    std::thread([pid] {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

} // namespace platform
