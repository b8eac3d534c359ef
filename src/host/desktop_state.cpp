#include "host/desktop_state.h"

#include "platform/posix/shell_state.h"
#include "platform/prefix.h"
#include "platform/win32.h"

#include <cctype>

namespace host {

namespace {

std::string DesktopValue(HKEY key, const char* name) {
    char buf[1024];
    DWORD size = sizeof buf, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buf), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
        return {};
    return std::string(buf, size - 1).c_str();
}

bool HasScheme(const std::string& s) {
    size_t colon = s.find(':');
    // A drive letter ("C:") is not a scheme.
    if (colon == std::string::npos || colon < 2) return false;
    for (size_t i = 0; i < colon; ++i)
        if (!std::isalnum(static_cast<unsigned char>(s[i])) && s[i] != '+' && s[i] != '-' &&
            s[i] != '.')
            return false;
    return true;
}

std::string PercentEncodePath(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~')
            out += static_cast<char>(c);
        else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

} // namespace

bool IsPicture(const std::string& wallpaper) {
    std::string upper = platform::ToUpperAscii(wallpaper);
    for (std::string_view ext : {".BMP", ".PNG", ".JPG", ".JPEG", ".GIF", ".DIB"})
        if (upper.size() > ext.size() && upper.compare(upper.size() - ext.size(), ext.size(), ext) == 0)
            return true;
    return false;
}

std::string WallpaperAddress(const std::string& wallpaper) {
    if (HasScheme(wallpaper)) return wallpaper;
    return "file://" + PercentEncodePath(platform::MapPath(wallpaper));
}

DesktopState ReadDesktopState() {
    DesktopState d;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &key) ==
        ERROR_SUCCESS) {
        std::string picture = DesktopValue(key, "Wallpaper");
        if (!picture.empty()) d.classicPicture = platform::MapPath(picture);
        if (DesktopValue(key, "TileWallpaper") == "1")
            d.placement = Placement::Tile;
        else if (DesktopValue(key, "WallpaperStyle") == "2")
            d.placement = Placement::Stretch;
        RegCloseKey(key);
    }
    platform::ShellState shell;
    if (!platform::LoadShellState(shell, d.problem)) return d; // the classic wallpaper, then
    if (!shell.activeDesktop || shell.wallpaper.empty()) return d;
    if (IsPicture(shell.wallpaper) && !HasScheme(shell.wallpaper)) {
        d.show = Show::Picture;
        d.wallpaper = platform::MapPath(shell.wallpaper);
    } else {
        d.show = Show::Page;
        d.wallpaper = WallpaperAddress(shell.wallpaper);
    }
    return d;
}

} // namespace host
