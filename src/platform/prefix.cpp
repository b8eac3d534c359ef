#include "platform/prefix.h"

#include "runtime/failure.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::string ToUpperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

std::string_view TrimBlanks(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return s.substr(b, e - b);
}

std::string PrefixDir() {
    if (const char* p = std::getenv("ZELKORA_PREFIX"); p && *p) {
        std::string s = p;
        while (s.size() > 1 && s.back() == '/')
            s.pop_back();
        return s;
    }
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.zelkora";
}

namespace {

bool Exists(const std::string& p) {
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

// The entry of dir whose name equals name without regard to case; empty when none.
std::string FindNoCase(const std::string& dir, const std::string& name) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return {};
    std::vector<std::string> hits;
    while (dirent* e = ::readdir(d))
        if (EqualsNoCase(e->d_name, name)) hits.emplace_back(e->d_name);
    ::closedir(d);
    if (hits.empty()) return {};
    std::sort(hits.begin(), hits.end()); // the same answer every time
    return hits.front();
}

} // namespace

std::string MapPath(std::string_view path) {
    if (!path.empty() && path[0] == '/') return std::string(path);
    std::string base;
    std::string_view rest = path;
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
        base = PrefixDir() + "/drive_" +
               static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
        rest = path.substr(2);
    } else if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
               (path[1] == '\\' || path[1] == '/')) {
        base = PrefixDir() + "/unc";
        rest = path.substr(2);
    } else if (!path.empty() && (path[0] == '\\')) {
        base = PrefixDir() + "/drive_c"; // a rooted path without a drive names the system drive
    }
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= rest.size()) {
        size_t j = rest.find_first_of("\\/", i);
        if (j == std::string_view::npos) j = rest.size();
        std::string comp(rest.substr(i, j - i));
        if (comp == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!comp.empty() && comp != ".") {
            parts.push_back(std::move(comp));
        }
        i = j + 1;
    }
    std::string cur = base;
    bool missing = false;
    for (const auto& comp : parts) {
        std::string exact = cur.empty() ? comp : cur + "/" + comp;
        if (!missing && !Exists(exact)) {
            std::string hit = FindNoCase(cur, comp);
            if (!hit.empty()) {
                cur = cur.empty() ? hit : cur + "/" + hit;
                continue;
            }
            missing = true;
        }
        cur = std::move(exact);
    }
    if (cur.empty()) cur = base.empty() ? "." : base;
    return cur;
}

bool ReadWholeFile(const std::string& nativePath, std::string& out) {
    int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        int e = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        errno = e;
        return false;
    }
    out.clear();
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd);
            errno = e;
            return false;
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

int WriteFileAtomic(const std::string& nativePath, std::string_view content) {
    struct stat st;
    mode_t mode = 0644;
    if (::stat(nativePath.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return EISDIR;
        // The read-only attribute: no write permission for anyone.
        if ((st.st_mode & 0222) == 0) return EACCES;
        mode = st.st_mode & 07777;
    }
    auto slash = nativePath.rfind('/');
    std::string dir = slash == std::string::npos ? "." : nativePath.substr(0, slash);
    std::string name = slash == std::string::npos ? nativePath : nativePath.substr(slash + 1);
    std::string tmpl = dir + "/." + name + ".XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    if (fd < 0) return errno;
    std::string tmp = buf.data();
    size_t off = 0;
    while (off < content.size()) {
        ssize_t n = ::write(fd, content.data() + off, content.size() - off);
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd);
            ::unlink(tmp.c_str());
            return e;
        }
        off += static_cast<size_t>(n);
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
        int e = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        return e;
    }
    ::close(fd);
    if (::rename(tmp.c_str(), nativePath.c_str()) != 0) {
        int e = errno;
        ::unlink(tmp.c_str());
        return e;
    }
    return 0;
}

namespace {
std::recursive_mutex& ThreadLock() {
    static std::recursive_mutex m;
    return m;
}
} // namespace

namespace {
thread_local int lockDepth = 0; // the lock is taken again by nested read-modify-writes
} // namespace

WriteLock::WriteLock() {
    ThreadLock().lock();
    if (lockDepth++ > 0) return;
    std::string dir = PrefixDir();
    ::mkdir(dir.c_str(), 0755);
    fd_ = ::open((dir + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ >= 0)
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
}

WriteLock::~WriteLock() {
    --lockDepth;
    if (fd_ >= 0) ::close(fd_); // closing releases the lock
    ThreadLock().unlock();
}

FileKind ProbeFile(std::string_view path) {
    if (path.find('\0') != std::string_view::npos) Raise(Err::BadFileName);
    std::string native = MapPath(path);
    struct stat st;
    if (::stat(native.c_str(), &st) != 0) {
        switch (errno) {
        case ENOENT:
        case ENOTDIR:
            return FileKind::Missing;
        case ENAMETOOLONG:
            Raise(Err::BadFileName);
        case EACCES:
            Raise(Err::PathFileAccess);
        default:
            Raise(Err::PathFileAccess, std::strerror(errno));
        }
    }
    return S_ISREG(st.st_mode) ? FileKind::PlainFile : FileKind::Other;
}

} // namespace platform
