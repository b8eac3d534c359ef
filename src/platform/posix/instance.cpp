// App.PrevInstance through an instance lock in the prefix, and the window
// functions through a Unix socket named after the prefix.
#include "platform/instance.h"

#include "platform/posix/win32_posix.h"
#include "platform/prefix.h"
#include "runtime/app.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

// The abstract socket name of a prefix (no file to clean up after a crash).
sockaddr_un ChannelAddress(socklen_t& len) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::string name =
        "zelkora-window-" + std::to_string(std::hash<std::string>{}(platform::PrefixDir()));
    a.sun_path[0] = '\0';
    std::memcpy(a.sun_path + 1, name.data(), name.size());
    len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return a;
}

bool WriteAll(int fd, const std::string& s) {
    size_t off = 0;
    while (off < s.size()) {
        ssize_t n = ::send(fd, s.data() + off, s.size() - off, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        off += static_cast<size_t>(n);
    }
    return true;
}

bool ReadLine(int fd, std::string& line) {
    line.clear();
    char c;
    while (line.size() < 4096) {
        ssize_t n = ::recv(fd, &c, 1, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (c == '\n') return true;
        line.push_back(c);
    }
    return false;
}

// One request, one answer; empty when no window listens.
std::string Ask(const std::string& request) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    socklen_t len;
    sockaddr_un a = ChannelAddress(len);
    // A window that does not answer in time is no window: neither the
    // connection (which waits while the window's queue is full) nor the
    // answer may keep a second instance waiting for good.
    timeval tv{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), len) == 0 && WriteAll(fd, request + "\n"))
        ReadLine(fd, answer);
    ::close(fd);
    return answer;
}

struct Server {
    std::mutex m;
    int listenFd = -1;
    unsigned long handle = 0;
    std::string title;
    std::function<void(platform::WindowRequest)> handler;
    std::thread thread;
    bool flashed = false;
};

Server& TheServer() {
    static Server s;
    return s;
}

void Serve(int listenFd) {
    Server& s = TheServer();
    for (;;) {
        int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR) continue;
            return; // closed
        }
        // One stalled client must not hold up the ones queued behind it.
        timeval tv{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
        std::string line, answer = "NONE";
        if (ReadLine(fd, line)) {
            std::unique_lock g(s.m);
            std::string handle = std::to_string(s.handle);
            if (line.rfind("FIND ", 0) == 0) {
                if (line.substr(5) == s.title) answer = "HWND " + handle;
            } else if (line == "GETTEXT " + handle) {
                answer = "TEXT " + s.title;
            } else if (line == "FLASH " + handle) {
                answer = s.flashed ? "OK 1" : "OK 0";
                s.flashed = !s.flashed;
                auto h = s.handler;
                g.unlock();
                if (h) h(platform::WindowRequest::Flash);
            } else if (line == "RAISE " + handle) {
                answer = "OK 1";
                auto h = s.handler;
                g.unlock();
                if (h) h(platform::WindowRequest::Raise);
            }
        }
        WriteAll(fd, answer + "\n");
        ::close(fd);
    }
}

} // namespace

namespace platform {

unsigned long RegisterWindow(const std::string& title, std::function<void(WindowRequest)> handler) {
    Server& s = TheServer();
    std::lock_guard g(s.m);
    s.title = title;
    s.handler = std::move(handler);
    if (s.listenFd < 0) {
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        socklen_t len;
        sockaddr_un a = ChannelAddress(len);
        if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&a), len) == 0 &&
            ::listen(fd, SOMAXCONN) == 0) {
            s.listenFd = fd;
            s.handle = static_cast<unsigned long>(::getpid()) * 16 + 0x10;
            s.thread = std::thread(Serve, fd);
            s.thread.detach();
        } else if (fd >= 0) {
            ::close(fd); // another process of this prefix serves the channel
        }
    }
    return s.handle;
}

void UnregisterWindow(unsigned long) {
    Server& s = TheServer();
    std::lock_guard g(s.m);
    s.title.clear();
    s.handler = nullptr;
}

} // namespace platform

namespace App {

bool PrevInstance() {
    static int answer = -1;
    if (answer < 0) {
        std::string dir = platform::PrefixDir();
        ::mkdir(dir.c_str(), 0755);
        int fd = ::open((dir + "/.instance.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        // The lock is held, by keeping the file open, for as long as this process lives.
        answer = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK ? 1 : 0;
    }
    return answer == 1;
}

} // namespace App

HWND FindWindowA(LPCSTR, LPCSTR lpWindowName) {
    if (!lpWindowName) return nullptr;
    std::string a = Ask(std::string("FIND ") + lpWindowName);
    if (a.rfind("HWND ", 0) != 0) return nullptr;
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::stoul(a.substr(5))));
}

int GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (!lpString || nMaxCount <= 0) return 0;
    std::string a = Ask("GETTEXT " + std::to_string(reinterpret_cast<uintptr_t>(hWnd)));
    std::string text = a.rfind("TEXT ", 0) == 0 ? a.substr(5) : std::string();
    size_t n = std::min<size_t>(text.size(), static_cast<size_t>(nMaxCount - 1));
    std::memcpy(lpString, text.data(), n);
    lpString[n] = '\0';
    return static_cast<int>(n);
}

BOOL FlashWindow(HWND hWnd, BOOL) {
    return Ask("FLASH " + std::to_string(reinterpret_cast<uintptr_t>(hWnd))) == "OK 1";
}

BOOL BringWindowToTop(HWND hWnd) {
    return Ask("RAISE " + std::to_string(reinterpret_cast<uintptr_t>(hWnd))).rfind("OK", 0) == 0;
}
