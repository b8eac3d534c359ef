// The registry functions over <prefix>/registry.reg. Every call looks at the
// file anew, so two processes see each other's writes (it is parsed again only
// when it changed); writes are serialised.
#include "platform/posix/registry_file.h"
#include "platform/posix/win32_posix.h"
#include "platform/prefix.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

struct OpenKey {
    std::string path;
    REGSAM access;
};

std::mutex& TableMutex() {
    static std::mutex m;
    return m;
}
std::unordered_map<uintptr_t, OpenKey>& Table() {
    static std::unordered_map<uintptr_t, OpenKey> t;
    return t;
}
uintptr_t& NextHandle() {
    static uintptr_t next = 0x1000;
    return next;
}

const char* RootName(HKEY h) {
    switch (reinterpret_cast<uintptr_t>(h)) {
    case static_cast<uintptr_t>(static_cast<LONG>(0x80000000)):
        return "HKEY_CLASSES_ROOT";
    case static_cast<uintptr_t>(static_cast<LONG>(0x80000001)):
        return "HKEY_CURRENT_USER";
    case static_cast<uintptr_t>(static_cast<LONG>(0x80000002)):
        return "HKEY_LOCAL_MACHINE";
    case static_cast<uintptr_t>(static_cast<LONG>(0x80000003)):
        return "HKEY_USERS";
    default:
        return nullptr;
    }
}

// The key a handle stands for; false for a handle that is not open.
bool Resolve(HKEY h, OpenKey& out) {
    if (const char* root = RootName(h)) {
        out = {root, KEY_ALL_ACCESS};
        return true;
    }
    std::lock_guard g(TableMutex());
    auto it = Table().find(reinterpret_cast<uintptr_t>(h));
    if (it == Table().end()) return false;
    out = it->second;
    return true;
}

HKEY NewHandle(std::string path, REGSAM access) {
    std::lock_guard g(TableMutex());
    uintptr_t h = NextHandle();
    NextHandle() += 4;
    Table()[h] = {std::move(path), access};
    return reinterpret_cast<HKEY>(h);
}

std::string RegistryPath() {
    return platform::PrefixDir() + "/registry.reg";
}

// A new prefix's registry holds the desktop key that every Windows user has.
const char* kDefaultRegistry = "Windows Registry Editor Version 5.00\r\n\r\n"
                               "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
                               "\"Wallpaper\"=\"\"\r\n"
                               "\"WallpaperStyle\"=\"0\"\r\n"
                               "\"TileWallpaper\"=\"0\"\r\n";

// The parsed registry, shared between calls while the file stays the same
// (same file, size and modification time): start-up asks a dozen times.
struct Parsed {
    platform::FileStamp stamp;
    std::shared_ptr<const platform::reg::File> file;
};

std::mutex& CacheMutex() {
    static std::mutex m;
    return m;
}
Parsed& Cache() {
    static Parsed p;
    return p;
}

LONG ReadError(int e) {
    return e == EACCES || e == EPERM || e == EISDIR ? ERROR_ACCESS_DENIED
                                                    : ERROR_REGISTRY_IO_FAILED;
}

// The registry as the file holds it. A file that cannot be read is an error,
// never an empty registry: a write after it would lose every key.
LONG Load(std::shared_ptr<const platform::reg::File>& out) {
    const std::string path = RegistryPath();
    platform::FileStamp stamp;
    if (platform::StatFile(path, stamp)) {
        std::lock_guard g(CacheMutex());
        if (Cache().file && Cache().stamp == stamp) {
            out = Cache().file;
            return ERROR_SUCCESS;
        }
    }
    std::string bytes;
    if (!platform::ReadWholeFile(path, bytes, &stamp)) {
        if (errno != ENOENT) return ReadError(errno);
        platform::WriteLock lock;
        if (!platform::ReadWholeFile(path, bytes, &stamp)) {
            if (errno != ENOENT) return ReadError(errno);
            bytes = kDefaultRegistry;
            platform::WriteFileAtomic(path, bytes);
            if (!platform::StatFile(path, stamp)) stamp = {};
        }
    }
    auto parsed = std::make_shared<const platform::reg::File>(platform::reg::Parse(bytes));
    if (stamp.size >= 0) {
        std::lock_guard g(CacheMutex());
        Cache() = {stamp, parsed};
    }
    out = std::move(parsed);
    return ERROR_SUCCESS;
}

// A copy to change, for the writers.
LONG LoadForChange(platform::reg::File& out) {
    std::shared_ptr<const platform::reg::File> f;
    if (LONG rc = Load(f); rc != ERROR_SUCCESS) return rc;
    out = *f;
    return ERROR_SUCCESS;
}

LONG Save(const platform::reg::File& f) {
    int e = platform::WriteFileAtomic(RegistryPath(), platform::reg::Encode(f));
    return e == 0 ? ERROR_SUCCESS : e == EACCES ? ERROR_ACCESS_DENIED : ERROR_WRITE_FAULT;
}

// Joins a base path and a sub key, dropping empty components.
std::string Join(const std::string& base, LPCSTR sub) {
    std::string r = base;
    if (!sub) return r;
    std::string_view s(sub);
    size_t i = 0;
    while (i <= s.size()) {
        size_t j = s.find('\\', i);
        if (j == std::string_view::npos) j = s.size();
        if (j > i) r += "\\" + std::string(s.substr(i, j - i));
        i = j + 1;
    }
    return r;
}

// The path as the file spells its existing levels, so that a key created
// under differently cased parents keeps the parents' spelling.
std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find('\\', i);
        if (j == std::string::npos) j = path.size();
        parts.push_back(path.substr(i, j - i));
        i = j + 1;
    }
    return parts;
}

std::string CanonicalPath(const platform::reg::File& f, const std::string& path) {
    std::vector<std::string> want = Split(path);
    for (const auto& k : f.keys) {
        std::vector<std::string> have = Split(k.path);
        for (size_t i = 0; i < want.size() && i < have.size(); ++i) {
            if (!platform::EqualsNoCase(want[i], have[i])) break;
            want[i] = have[i];
        }
    }
    std::string r;
    for (size_t i = 0; i < want.size(); ++i)
        r += (i ? "\\" : "") + want[i];
    return r;
}

} // namespace

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    OpenKey base;
    if (!Resolve(hKey, base)) return ERROR_INVALID_HANDLE;
    std::string path = Join(base.path, lpSubKey);
    if (path != base.path) {
        std::shared_ptr<const platform::reg::File> f;
        if (LONG rc = Load(f); rc != ERROR_SUCCESS) return rc;
        if (!platform::reg::KeyExists(*f, path)) return ERROR_FILE_NOT_FOUND;
    }
    *phkResult = NewHandle(path, samDesired);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired,
                     LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (!phkResult || !lpSubKey) return ERROR_INVALID_PARAMETER;
    OpenKey base;
    if (!Resolve(hKey, base)) return ERROR_INVALID_HANDLE;
    std::string path = Join(base.path, lpSubKey);
    DWORD disposition = REG_OPENED_EXISTING_KEY;
    if (path != base.path) {
        platform::WriteLock lock;
        platform::reg::File f;
        if (LONG rc = LoadForChange(f); rc != ERROR_SUCCESS) return rc;
        if (!platform::reg::KeyExists(f, path)) {
            // Every missing level gets its own section, as an export would show it.
            std::string canonical = CanonicalPath(f, path);
            size_t pos = canonical.find('\\');
            while (pos != std::string::npos) {
                size_t next = canonical.find('\\', pos + 1);
                std::string level = canonical.substr(0, next);
                if (!platform::reg::KeyExists(f, level)) f.keys.push_back({level, {}});
                pos = next;
            }
            if (LONG rc = Save(f); rc != ERROR_SUCCESS) return rc;
            disposition = REG_CREATED_NEW_KEY;
            path = canonical;
        }
    }
    *phkResult = NewHandle(path, samDesired);
    if (lpdwDisposition) *lpdwDisposition = disposition;
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData) {
    OpenKey k;
    if (!Resolve(hKey, k)) return ERROR_INVALID_HANDLE;
    if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
    if (!(k.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    std::shared_ptr<const platform::reg::File> f;
    if (LONG rc = Load(f); rc != ERROR_SUCCESS) return rc;
    int idx = platform::reg::KeyIndex(*f, k.path);
    if (idx < 0) return ERROR_FILE_NOT_FOUND;
    const platform::reg::Value* v = platform::reg::FindValue(f->keys[static_cast<size_t>(idx)],
                                                             lpValueName ? lpValueName : "");
    if (!v) return ERROR_FILE_NOT_FOUND;
    if (lpType) *lpType = v->type;
    DWORD size = static_cast<DWORD>(v->data.size());
    if (!lpData) {
        if (lpcbData) *lpcbData = size;
        return ERROR_SUCCESS;
    }
    if (*lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (size) std::memcpy(lpData, v->data.data(), size);
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                    DWORD cbData) {
    OpenKey k;
    if (!Resolve(hKey, k)) return ERROR_INVALID_HANDLE;
    if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
    if (!(k.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    platform::WriteLock lock;
    platform::reg::File f;
    if (LONG rc = LoadForChange(f); rc != ERROR_SUCCESS) return rc;
    if (!platform::reg::KeyExists(f, k.path) && !RootName(hKey) &&
        k.path.find('\\') != std::string::npos)
        return ERROR_FILE_NOT_FOUND; // the key was deleted since it was opened
    int idx = platform::reg::KeyIndex(f, k.path);
    if (idx < 0) {
        f.keys.push_back({CanonicalPath(f, k.path), {}});
        idx = static_cast<int>(f.keys.size()) - 1;
    }
    auto& key = f.keys[static_cast<size_t>(idx)];
    std::string name = lpValueName ? lpValueName : "";
    std::string data(reinterpret_cast<const char*>(lpData), cbData);
    if (auto* v = platform::reg::FindValue(key, name)) {
        v->type = dwType;
        v->data = std::move(data);
    } else {
        platform::reg::Entry e;
        e.isValue = true;
        e.value = {name, dwType, std::move(data)};
        key.entries.push_back(std::move(e));
    }
    return Save(f);
}

LONG RegCloseKey(HKEY hKey) {
    if (RootName(hKey)) return ERROR_SUCCESS;
    std::lock_guard g(TableMutex());
    return Table().erase(reinterpret_cast<uintptr_t>(hKey)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
