// The prefix's files on a POSIX system: Windows paths mapped onto the prefix
// folder, and whole files read and replaced atomically.
#include "platform/prefix.h"

#include "runtime/failure.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

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
    return MapUnder(base, rest);
}

std::string MapUnder(const std::string& base, std::string_view rest) {
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

namespace {

// A read error injected for tests: ZELKORA_READ_FAULT="NAME:ERRNO" makes every
// read of a file called NAME fail with ERRNO, as a failing disk would.
int InjectedReadFault(const std::string& nativePath) {
    const char* spec = std::getenv("ZELKORA_READ_FAULT");
    if (!spec || !*spec) return 0;
    std::string_view s(spec);
    size_t colon = s.rfind(':');
    if (colon == std::string_view::npos) return 0;
    std::string_view name = s.substr(0, colon);
    size_t slash = nativePath.rfind('/');
    std::string_view base = slash == std::string::npos ? std::string_view(nativePath)
                                                       : std::string_view(nativePath).substr(slash + 1);
    if (base != name) return 0;
    return std::atoi(std::string(s.substr(colon + 1)).c_str());
}

FileStamp StampOf(const struct stat& st) {
    return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
            static_cast<int64_t>(st.st_size),
            static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

// Flushes a folder, so that a rename in it survives a power loss.
void SyncFolder(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool WriteAll(int fd, std::string_view content) {
    size_t off = 0;
    while (off < content.size()) {
        ssize_t n = ::write(fd, content.data() + off, content.size() - off);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        off += static_cast<size_t>(n);
    }
    return true;
}

// Left behind by earlier versions, which named each temporary file anew
// (".NAME.XXXXXX"): cleared beside a target whenever it is written.
void ClearOldTemporaries(const std::string& dir, const std::string& name) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    std::string head = "." + name + ".";
    std::vector<std::string> stale;
    while (dirent* e = ::readdir(d)) {
        std::string_view n(e->d_name);
        if (n.size() != head.size() + 6 || n.compare(0, head.size(), head) != 0) continue;
        std::string_view tail = n.substr(head.size());
        if (std::all_of(tail.begin(), tail.end(),
                        [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            stale.emplace_back(n);
    }
    ::closedir(d);
    for (const auto& n : stale)
        ::unlink((dir + "/" + n).c_str());
}

} // namespace

bool ReadWholeFile(const std::string& nativePath, std::string& out, FileStamp* stamp) {
    if (int e = InjectedReadFault(nativePath)) {
        errno = e;
        return false;
    }
    int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        int e = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        errno = e;
        return false;
    }
    if (stamp) *stamp = StampOf(st);
    out.clear();
    if (st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
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

bool StatFile(const std::string& nativePath, FileStamp& stamp) {
    struct stat st;
    if (::stat(nativePath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    stamp = StampOf(st);
    return true;
}

int MoveIntoPlace(const std::string& from, const std::string& to) {
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0 ? 0
                                                                                            : errno;
}

int SwapPaths(const std::string& a, const std::string& b) {
    return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0 ? 0 : errno;
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
    // One temporary name per target: writers hold the prefix's lock, so a
    // file of that name is what a killed writer left, and is replaced.
    std::string tmp = TemporaryNameFor(nativePath);
    // The content is first written to a file with no name at all, so that a
    // kill while it is written leaves nothing behind; it gets the temporary
    // name only for the moment before the rename.
    int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    bool unnamed = fd >= 0;
    if (!unnamed) {
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0) return errno;
    }
    auto fail = [&](int e) {
        ::close(fd);
        if (!unnamed) ::unlink(tmp.c_str());
        return e;
    };
    if (!WriteAll(fd, content) || ::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) return fail(errno);
    if (unnamed) {
        ::unlink(tmp.c_str());
        std::string self = "/proc/self/fd/" + std::to_string(fd);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tmp.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            // No /proc: write it again under the name.
            ::close(fd);
            unnamed = false;
            fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, mode);
            if (fd < 0) return errno;
            if (!WriteAll(fd, content) || ::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
                return fail(errno);
        }
    }
    // Renamed before the descriptor is let go, to keep the named moment short.
    if (::rename(tmp.c_str(), nativePath.c_str()) != 0) {
        int e = errno;
        ::unlink(tmp.c_str());
        ::close(fd);
        return e;
    }
    ::close(fd);
    SyncFolder(dir);
    ClearOldTemporaries(dir, name);
    return 0;
}

intptr_t LockPrefixFile() {
    std::string dir = PrefixDir();
    ::mkdir(dir.c_str(), 0755);
    int fd = ::open((dir + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0)
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    return fd;
}

void UnlockPrefixFile(intptr_t held) {
    if (held >= 0) ::close(static_cast<int>(held)); // closing releases the lock
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
