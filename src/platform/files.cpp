#include "platform/files.h"

#include "platform/prefix.h"
#include "runtime/failure.h"

#include <cerrno>
#include <cstring>

namespace platform {

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
        if (errno == ENOENT) Raise(Err::FileNotFound);
        if (errno == ENOTDIR) Raise(Err::PathNotFound);
        Raise(Err::PathFileAccess);
    }
    if (bytes.empty()) Raise(62, "Input past end of file");
    return bytes.substr(0, bytes.find_first_of("\r\n"));
}

} // namespace platform
