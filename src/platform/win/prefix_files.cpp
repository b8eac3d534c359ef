// The prefix's files on Windows, where the prefix is the machine itself:
// paths are the system's own, and whole files are read and replaced
// atomically through the file API.
#include "platform/prefix.h"

#include "platform/win/system_error.h"
#include "platform/win32.h"
#include "runtime/failure.h"

#include <cerrno>
#include <cstdlib>

namespace platform {

using win::ErrnoOf;
using win::WidePath;

namespace {

HANDLE OpenExisting(const std::string& nativePath, DWORD flags = 0) {
    return CreateFileW(WidePath(nativePath).c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
}

FileStamp StampOf(const BY_HANDLE_FILE_INFORMATION& info) {
    int64_t written = (static_cast<int64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                      info.ftLastWriteTime.dwLowDateTime;
    return {info.dwVolumeSerialNumber,
            (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
            (static_cast<int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow, written * 100};
}

bool WriteAll(HANDLE h, std::string_view content) {
    while (!content.empty()) {
        DWORD chunk = content.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(content.size());
        DWORD written = 0;
        if (!WriteFile(h, content.data(), chunk, &written, nullptr) || written == 0) return false;
        content.remove_prefix(written);
    }
    return true;
}

} // namespace

// $ZELKORA_PREFIX, else the user's own application data: where the program
// keeps the files that are its own (the lock, the playlist, properties).
std::string PrefixDir() {
    if (const char* p = std::getenv("ZELKORA_PREFIX"); p && *p) return p;
    const char* data = std::getenv("LOCALAPPDATA");
    return std::string(data && *data ? data : ".") + "\\Zelkora";
}

// The system resolves its own paths, letter case included.
std::string MapPath(std::string_view path) {
    return std::string(path);
}

std::string MapUnder(const std::string& base, std::string_view rest) {
    if (base.empty()) return std::string(rest);
    if (rest.empty()) return base;
    return base + "\\" + std::string(rest);
}

bool ReadWholeFile(const std::string& nativePath, std::string& out, FileStamp* stamp) {
    HANDLE h = OpenExisting(nativePath);
    BY_HANDLE_FILE_INFORMATION info{};
    if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info)) {
        errno = ErrnoOf(GetLastError());
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        return false;
    }
    if (stamp) *stamp = StampOf(info);
    out.clear();
    char buf[65536];
    for (DWORD n = 0;; out.append(buf, n)) {
        if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) {
            errno = ErrnoOf(GetLastError());
            CloseHandle(h);
            return false;
        }
        if (n == 0) break;
    }
    CloseHandle(h);
    return true;
}

bool StatFile(const std::string& nativePath, FileStamp& stamp) {
    HANDLE h = OpenExisting(nativePath);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    bool plain = GetFileInformationByHandle(h, &info) &&
                 !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(h);
    if (plain) stamp = StampOf(info);
    return plain;
}

int MoveIntoPlace(const std::string& from, const std::string& to) {
    return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_WRITE_THROUGH)
               ? 0
               : ErrnoOf(GetLastError());
}

// Windows cannot swap two names in one step; the caller steps the old one
// aside instead.
int SwapPaths(const std::string&, const std::string&) {
    return ENOSYS;
}

int WriteFileAtomic(const std::string& nativePath, std::string_view content) {
    std::wstring target = WidePath(nativePath);
    DWORD attributes = GetFileAttributesW(target.c_str());
    bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return EISDIR;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) return EACCES;
    // Writers hold the prefix's lock, so a file of the temporary name is what
    // a killed writer left, and is replaced.
    std::wstring tmp = WidePath(TemporaryNameFor(nativePath));
    HANDLE h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return ErrnoOf(GetLastError());
    bool written = WriteAll(h, content) && FlushFileBuffers(h);
    DWORD error = GetLastError();
    CloseHandle(h);
    // ReplaceFileW keeps the old file's attributes and security; a new file
    // is moved in, through to the disk before the call returns.
    if (written)
        written = exists ? ReplaceFileW(target.c_str(), tmp.c_str(), nullptr,
                                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                         : MoveFileExW(tmp.c_str(), target.c_str(),
                                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!written) {
        error = GetLastError();
        DeleteFileW(tmp.c_str());
        return ErrnoOf(error);
    }
    return 0;
}

intptr_t LockPrefixFile() {
    std::string dir = PrefixDir();
    CreateDirectoryW(WidePath(dir).c_str(), nullptr);
    HANDLE h = CreateFileW(WidePath(dir + "\\.lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return -1;
    OVERLAPPED whole{};
    if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole)) {
        CloseHandle(h);
        return -1;
    }
    return reinterpret_cast<intptr_t>(h);
}

void UnlockPrefixFile(intptr_t held) {
    if (held != -1) CloseHandle(reinterpret_cast<HANDLE>(held)); // closing lets the lock go
}

FileKind ProbeFile(std::string_view path) {
    if (path.find('\0') != std::string_view::npos) Raise(Err::BadFileName);
    DWORD attributes = GetFileAttributesW(WidePath(std::string(path)).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        switch (DWORD error = GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
            return FileKind::Missing;
        case ERROR_INVALID_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
            Raise(Err::BadFileName);
        case ERROR_ACCESS_DENIED:
            Raise(Err::PathFileAccess);
        default:
            Raise(Err::PathFileAccess, win::SystemMessage(error));
        }
    }
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? FileKind::Other : FileKind::PlainFile;
}

} // namespace platform
