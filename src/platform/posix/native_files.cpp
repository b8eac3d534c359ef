#include "platform/native_files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

NativeFile NativeFile::CreateNew(const std::string& path) {
    NativeFile f;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        f.error_ = std::strerror(errno);
    else
        f.handle_ = fd;
    return f;
}

NativeFile NativeFile::OpenForReading(const std::string& path) {
    NativeFile f;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        f.error_ = fd >= 0 && S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return f;
    }
    f.handle_ = fd;
    f.size_ = st.st_size;
    f.modified_ = st.st_mtime;
    return f;
}

bool NativeFile::Release(intptr_t handle) {
    return ::close(static_cast<int>(handle)) == 0;
}

bool NativeFile::WriteAt(int64_t offset, const char* data, size_t size) {
    int fd = static_cast<int>(handle_);
    if (::lseek(fd, offset, SEEK_SET) < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error_ = std::strerror(n < 0 ? errno : EIO);
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

int64_t NativeFile::Read(char* data, size_t size) {
    while (true) {
        ssize_t n = ::read(static_cast<int>(handle_), data, size);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        error_ = std::strerror(errno);
        return -1;
    }
}

bool NativeFile::Close() {
    intptr_t fd = std::exchange(handle_, kClosed);
    if (fd != kClosed && !Release(fd)) {
        error_ = std::strerror(errno);
        return false;
    }
    return true;
}

FolderLock::FolderLock(const std::string& folder) : folder_(folder) {
    while (true) {
        ::mkdir(folder.c_str(), 0755);
        int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            error_ = std::strerror(errno);
            return;
        }
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        // The folder may have been removed by the holder before.
        struct stat held {}, now{};
        if (::fstat(fd, &held) == 0 && ::stat(folder.c_str(), &now) == 0 &&
            held.st_ino == now.st_ino && held.st_dev == now.st_dev) {
            handle_ = fd;
            return;
        }
        ::close(fd);
    }
}

FolderLock::~FolderLock() {
    if (!Held()) return;
    ::rmdir(folder_.c_str()); // only when empty
    ::close(static_cast<int>(handle_));
}

std::string MakeTemporaryFolder(const std::string& parent, const std::string& prefix,
                                std::string& error) {
    std::string pattern = parent + "/" + prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) {
        error = std::strerror(errno);
        return {};
    }
    return name.data();
}

std::string RealPath(const std::string& path) {
    char* r = ::realpath(path.c_str(), nullptr);
    if (!r) return {};
    std::string s = r;
    std::free(r);
    return s;
}

} // namespace platform
