#include "platform/files.h"

#include "platform/prefix.h"
#include "runtime/failure.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace platform {

namespace {

bool FolderExists(const std::string& native) {
    std::filesystem::path folder = std::filesystem::path(native).parent_path();
    std::error_code ec;
    return folder.empty() || std::filesystem::is_directory(folder, ec);
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
