#include "platform/files.h"

#include "platform/prefix.h"
#include "runtime/failure.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace platform {

namespace {

bool FolderExists(const std::string& native) {
    size_t slash = native.find_last_of('/');
    if (slash == std::string::npos) return true;
    struct stat st;
    return ::stat(slash == 0 ? "/" : native.substr(0, slash).c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}

} // namespace

void WriteTextFile(const std::string& path, const std::string& content) {
    std::string native = MapPath(path);
    WriteLock lock;
    int e = WriteFileAtomic(native, content);
    switch (e) {
    case 0:
        return;
    case ENOENT:
    case ENOTDIR:
        Raise(Err::PathNotFound);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        Raise(Err::PathFileAccess);
    default:
        Raise(Err::PathFileAccess, std::strerror(e));
    }
}

std::string ReadFirstLine(const std::string& path) {
    std::string native = MapPath(path);
    std::string bytes;
    if (!ReadWholeFile(native, bytes)) {
        // A missing folder is "Path not found", as the writer says for it.
        if (errno == ENOENT) Raise(FolderExists(native) ? Err::FileNotFound : Err::PathNotFound);
        if (errno == ENOTDIR) Raise(Err::PathNotFound);
        Raise(Err::PathFileAccess);
    }
    if (bytes.empty()) Raise(62, "Input past end of file");
    return bytes.substr(0, bytes.find_first_of("\r\n"));
}

} // namespace platform
