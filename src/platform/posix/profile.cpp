// GetPrivateProfileStringA and WritePrivateProfileStringA over files of the
// prefix, with Windows' answers.
#include "platform/posix/profile_file.h"
#include "platform/posix/win32_posix.h"
#include "platform/prefix.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// A bare file name lives in the Windows folder, as on Windows.
std::string NativeProfilePath(LPCSTR file) {
    std::string_view f(file);
    if (f.find_first_of("\\/:") == std::string_view::npos)
        return platform::MapPath("C:\\Windows\\" + std::string(f));
    return platform::MapPath(f);
}

// Copies a list of NUL-terminated names ending with an extra NUL, truncated
// as Windows truncates it (the count is then nSize - 2).
DWORD CopyList(const std::vector<std::string>& names, LPSTR buf, DWORD nSize) {
    if (nSize == 0) return 0;
    std::string all;
    for (const auto& n : names)
        all += n + '\0';
    if (nSize == 1) {
        buf[0] = '\0';
        return 0;
    }
    if (all.size() + 1 <= nSize) {
        std::memcpy(buf, all.data(), all.size());
        buf[all.size()] = '\0';
        if (all.empty()) buf[1 <= nSize - 1 ? 1 : 0] = '\0';
        return static_cast<DWORD>(all.size());
    }
    std::memcpy(buf, all.data(), nSize - 2);
    buf[nSize - 2] = '\0';
    buf[nSize - 1] = '\0';
    return nSize - 2;
}

DWORD ReadErrorCode(int e) {
    return e == EACCES || e == EPERM || e == EISDIR ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT;
}

DWORD CopyString(std::string_view s, LPSTR buf, DWORD nSize) {
    if (nSize == 0) return 0;
    size_t n = std::min<size_t>(s.size(), nSize - 1);
    std::memcpy(buf, s.data(), n);
    buf[n] = '\0';
    return static_cast<DWORD>(n);
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    if (!lpReturnedString || !lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string bytes;
    bool haveFile = platform::ReadWholeFile(NativeProfilePath(lpFileName), bytes);
    // A file that cannot be read answers as an empty one, and says why.
    DWORD readError =
        !haveFile && errno != ENOENT && errno != ENOTDIR ? ReadErrorCode(errno) : ERROR_SUCCESS;
    auto doc = platform::ini::Document::Parse(haveFile ? bytes : std::string());
    if (readError) SetLastError(readError);
    if (!lpAppName) return CopyList(doc.SectionNames(), lpReturnedString, nSize);
    if (!lpKeyName) return CopyList(doc.KeyNames(lpAppName), lpReturnedString, nSize);
    if (auto v = doc.Get(lpAppName, lpKeyName)) {
        SetLastError(ERROR_SUCCESS);
        return CopyString(*v, lpReturnedString, nSize);
    }
    // The default loses its trailing blanks.
    std::string_view def = lpDefault ? lpDefault : "";
    while (!def.empty() && def.back() == ' ')
        def.remove_suffix(1);
    SetLastError(readError ? readError : ERROR_FILE_NOT_FOUND);
    return CopyString(def, lpReturnedString, nSize);
}

BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                LPCSTR lpFileName) {
    if (!lpAppName || !lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path = NativeProfilePath(lpFileName);
    platform::WriteLock lock;
    std::string bytes;
    bool haveFile = platform::ReadWholeFile(path, bytes);
    if (!haveFile && errno != ENOENT) {
        // Never written over: what could not be read would be lost.
        SetLastError(errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ReadErrorCode(errno));
        return FALSE;
    }
    auto doc = platform::ini::Document::Parse(bytes);
    bool changed = true;
    if (!lpKeyName)
        changed = doc.RemoveSection(lpAppName);
    else if (!lpString)
        changed = doc.RemoveKey(lpAppName, lpKeyName);
    else
        doc.Set(lpAppName, lpKeyName, lpString);
    if (!changed) return TRUE; // nothing to remove: no file is created either
    if (int e = platform::WriteFileAtomic(path, doc.Serialize())) {
        SetLastError(e == ENOENT || e == ENOTDIR               ? ERROR_PATH_NOT_FOUND
                     : e == EACCES || e == EPERM || e == EROFS ? ERROR_ACCESS_DENIED
                                                               : ERROR_WRITE_FAULT);
        return FALSE;
    }
    return TRUE;
}
