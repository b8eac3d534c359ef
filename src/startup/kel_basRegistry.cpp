#include "startup/kel_basRegistry.h"

namespace {

// The reader's common part: the value's text, or nothing.
std::optional<std::string> ReadRegSz(const std::string& subKey, const std::string& valueName,
                                     HKEY root) {
    HKEY key;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::string buffer(255, ' ');
    DWORD size = 255;
    DWORD type = 0;
    LONG rc = RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                               reinterpret_cast<LPBYTE>(buffer.data()), &size);
    RegCloseKey(key);
    // A value stored with no bytes at all has no terminating NUL to drop: it
    // is read as a missing value rather than as a negative count.
    if (rc != ERROR_SUCCESS || type != REG_SZ || size == 0) return std::nullopt;
    return buffer.substr(0, size - 1);
}

} // namespace

bool kel_GetRegistryString(const std::string& subKey, const std::string& valueName,
                           std::string& target, HKEY root) {
    auto v = ReadRegSz(subKey, valueName, root);
    if (!v) return false;
    target = std::move(*v);
    return true;
}

bool kel_GetRegistryString(const std::string& subKey, const std::string& valueName,
                           std::optional<std::string>& target, HKEY root) {
    auto v = ReadRegSz(subKey, valueName, root);
    if (!v) return false;
    target = std::move(*v);
    return true;
}

bool kel_SetRegistryString(const std::string& subKey, const std::string& valueName,
                           const std::string& value, HKEY root) {
    HKEY key;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
    LONG rc = RegSetValueExA(key, valueName.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}
