#include "platform/native_files.h"

#include "platform/text.h"
#include "platform/win/system_error.h"
#include "platform/win32.h"

#include <random>
#include <sddl.h>
#include <utility>

namespace platform {

using win::SystemMessage;
using win::WidePath;

namespace {

HANDLE Handle(intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

intptr_t Kept(HANDLE h) {
    return h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(h);
}

// Seconds since 1970 of a file time (100 ns steps since 1601).
int64_t UnixSeconds(const FILETIME& t) {
    int64_t ticks = (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return (ticks - 116444736000000000LL) / 10000000;
}

} // namespace

NativeFile NativeFile::CreateNew(const std::string& path) {
    NativeFile f;
    // CREATE_NEW refuses any existing name, a link's too; the reparse flag
    // keeps the call from ever passing through one.
    HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) f.error_ = SystemMessage(GetLastError());
    f.handle_ = Kept(h);
    return f;
}

NativeFile NativeFile::OpenForReading(const std::string& path) {
    NativeFile f;
    HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info)) {
        f.error_ = SystemMessage(GetLastError());
    } else if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
        f.error_ = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? "it is a folder" : "it is a link";
    } else {
        f.handle_ = Kept(h);
        f.size_ = (static_cast<int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        f.modified_ = UnixSeconds(info.ftLastWriteTime);
        return f;
    }
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return f;
}

bool NativeFile::Release(intptr_t handle) {
    return CloseHandle(Handle(handle));
}

bool NativeFile::WriteAt(int64_t offset, const char* data, size_t size) {
    LARGE_INTEGER at;
    at.QuadPart = offset;
    if (!SetFilePointerEx(Handle(handle_), at, nullptr, FILE_BEGIN)) {
        error_ = SystemMessage(GetLastError());
        return false;
    }
    while (size > 0) {
        DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size), written = 0;
        if (!WriteFile(Handle(handle_), data, chunk, &written, nullptr) || written == 0) {
            error_ = SystemMessage(GetLastError());
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

int64_t NativeFile::Read(char* data, size_t size) {
    DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size), read = 0;
    if (!ReadFile(Handle(handle_), data, chunk, &read, nullptr)) {
        error_ = SystemMessage(GetLastError());
        return -1;
    }
    return read;
}

bool NativeFile::Close() {
    intptr_t h = std::exchange(handle_, kClosed);
    if (h != kClosed && !Release(h)) {
        error_ = SystemMessage(GetLastError());
        return false;
    }
    return true;
}

// A folder's handle cannot be locked on Windows: the lock is a file beside
// the folder, which stays (empty) when the folder goes.
FolderLock::FolderLock(const std::string& folder) : folder_(folder) {
    HANDLE h = CreateFileW(WidePath(folder + ".lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    OVERLAPPED whole{};
    if (h == INVALID_HANDLE_VALUE || !LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole)) {
        error_ = SystemMessage(GetLastError());
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        return;
    }
    if (!CreateDirectoryW(WidePath(folder).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
        error_ = SystemMessage(GetLastError());
        CloseHandle(h); // closing lets the lock go
        return;
    }
    handle_ = Kept(h);
}

FolderLock::~FolderLock() {
    if (!Held()) return;
    RemoveDirectoryW(WidePath(folder_).c_str()); // only when empty
    CloseHandle(Handle(handle_));
}

std::string MakeTemporaryFolder(const std::string& parent, const std::string& prefix,
                                std::string& error) {
    // Only the owner (and the system) may enter, whatever the parent allows.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;OW)(A;OICI;FA;;;SY)",
                                                              SDDL_REVISION_1, &descriptor, nullptr)) {
        error = SystemMessage(GetLastError());
        return {};
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::string made;
    for (int attempt = 0; attempt < 100 && made.empty(); ++attempt) {
        std::string name = parent + "\\" + prefix;
        for (int i = 0; i < 6; ++i)
            name += letters[random() % (sizeof letters - 1)];
        if (CreateDirectoryW(WidePath(name).c_str(), &attributes))
            made = name;
        else if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    if (made.empty()) error = SystemMessage(GetLastError());
    LocalFree(descriptor);
    return made;
}

std::string RealPath(const std::string& path) {
    HANDLE h = CreateFileW(WidePath(path).c_str(), 0,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n >= buffer.size()) {
        buffer.resize(n);
        n = GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }
    CloseHandle(h);
    if (n == 0 || n >= buffer.size()) return {};
    buffer.resize(n);
    // \\?\C:\x is C:\x, and \\?\UNC\server\share is \\server\share.
    if (buffer.rfind(L"\\\\?\\UNC\\", 0) == 0)
        buffer = L"\\\\" + buffer.substr(8);
    else if (buffer.rfind(L"\\\\?\\", 0) == 0)
        buffer = buffer.substr(4);
    std::string real = FromWide(buffer);
    for (char& c : real)
        if (c == '\\') c = '/';
    return real;
}

} // namespace platform
