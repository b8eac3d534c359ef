#include "host/desktop_state.h"

#include <algorithm>

#include "platform/posix/shell_state.h"
#include "platform/prefix.h"
#include "platform/win32.h"
#include "sandbox/app_address.h"

#include <cctype>
#include <filesystem>
#include <nlohmann/json.hpp>

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

// The native path of a file: URL (file:///p or file://localhost/p), decoded;
// "" for any other.
std::string FileUrlPath(const std::string& url) {
    std::string rest = url.substr(url.find(':') + 1);
    if (rest.rfind("//localhost/", 0) == 0)
        rest = rest.substr(11);
    else if (rest.rfind("///", 0) == 0)
        rest = rest.substr(2);
    else
        return {};
    std::string out;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && std::isxdigit(static_cast<unsigned char>(rest[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(rest[i + 2]))) {
            out += static_cast<char>(std::stoi(rest.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (rest[i] == '?' || rest[i] == '#') {
            break;
        } else {
            out += rest[i];
        }
    }
    return out;
}

} // namespace

bool IsPicture(const std::string& wallpaper) {
    for (std::string_view ext : {".BMP", ".PNG", ".JPG", ".JPEG", ".GIF", ".DIB"})
        if (platform::EndsWithNoCase(wallpaper, ext)) return true;
    return false;
}

namespace {

// A value of the installation's settings ("" when unset).
std::string Setting(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora\\Zelkora\\1", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return {};
    std::string value = DesktopValue(key, name);
    RegCloseKey(key);
    return value;
}

} // namespace

std::string ApplicationRoot() {
    std::string path = Setting("ApplicationPath");
    return path.empty() ? std::string() : platform::MapPath(path);
}

bool PauseOnBattery(const std::string& preferences) {
    if (preferences.empty()) return false;
    char value[16];
    GetPrivateProfileStringA("Options", "PauseOnBattery", "0", value, sizeof value,
                             preferences.c_str());
    return std::string(value) == "1";
}

std::string WallpaperAddress(const std::string& wallpaper, const std::string& appRoot, bool& remote,
                             std::string& problem) {
    remote = false;
    std::string native;
    if (HasScheme(wallpaper)) {
        std::string scheme = platform::ToUpperAscii(wallpaper.substr(0, wallpaper.find(':')));
        if (scheme == "HTTP" || scheme == "HTTPS") {
            remote = true;
            return wallpaper;
        }
        std::string path = FileUrlPath(wallpaper);
        if (scheme != "FILE" || path.empty()) {
            problem = "the wallpaper " + wallpaper + " is of a kind the desktop does not show";
            return {};
        }
        native = path;
    } else {
        native = platform::MapPath(wallpaper);
    }
    if (appRoot.empty()) {
        problem = "no installation is set up (ApplicationPath)";
        return {};
    }
    sandbox::Address a = sandbox::AddressOf(appRoot, native);
    problem = a.problem;
    return a.url;
}

bool HasSomethingToShow(const DesktopState& state) {
    return state.show != Show::Classic || !state.classicPicture.empty();
}

PageNeeds ReadPageNeeds(const std::string& nativePage) {
    PageNeeds needs;
    std::string text;
    if (nativePage.empty() ||
        !platform::ReadWholeFile((std::filesystem::path(nativePage).parent_path() / "zelkora.json").string(), text))
        return needs;
    nlohmann::json manifest = nlohmann::json::parse(text, nullptr, false);
    if (!manifest.is_object()) return needs;
    auto flag = [&](const char* name) {
        auto it = manifest.find(name);
        return it != manifest.end() && it->is_boolean() && it->get<bool>();
    };
    needs.webgl = flag("webgl");
    needs.audio = flag("audio");
    needs.media = flag("media");
    if (auto name = manifest.find("name"); name != manifest.end() && name->is_string())
        needs.module = name->get<std::string>();
    return needs;
}

namespace {

// What a wallpaper of the Active Desktop shows: a picture, or a page.
void ShowWallpaper(DesktopState& d, const std::string& wallpaper) {
    if (IsPicture(wallpaper) && !HasScheme(wallpaper)) {
        d.show = Show::Picture;
        d.wallpaper = platform::MapPath(wallpaper);
        return;
    }
    if (d.appRoot.empty()) d.appRoot = ApplicationRoot();
    d.wallpaper = WallpaperAddress(wallpaper, d.appRoot, d.remote, d.problem);
    d.show = d.wallpaper.empty() ? Show::Classic : Show::Page;
    if (d.show == Show::Page && !d.remote) d.needs = ReadPageNeeds(platform::MapPath(wallpaper));
}

} // namespace

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
    if (std::string name = Setting("INIFileName"); !name.empty())
        d.preferences = platform::MapPath(Setting("INIFilePath") + name);
    platform::ShellState shell;
    if (!platform::LoadShellState(shell, d.problem)) return d; // the classic wallpaper, then
    d.activeDesktop = shell.activeDesktop;
    if (!shell.activeDesktop || shell.wallpaper.empty()) return d;
    ShowWallpaper(d, shell.wallpaper);
    return d;
}

DesktopState WithWallpaper(const DesktopState& all, const std::string& wallpaper) {
    if (!all.activeDesktop) return all;
    DesktopState d = all;
    d.show = Show::Classic;
    d.wallpaper.clear();
    d.remote = false;
    d.needs = {};
    ShowWallpaper(d, wallpaper);
    // A display's module that cannot be shown (uninstalled since) gives way
    // to the module of every display.
    return d.show == Show::Classic ? all : d;
}

PagesNeed NeedsOfPages(const DesktopState& all, const display_layout::Choices& own) {
    std::vector<DesktopState> shown = {all};
    for (const auto& [display, wallpaper] : own)
        if (display != display_layout::kAcrossAll) shown.push_back(WithWallpaper(all, wallpaper));
    PagesNeed need;
    std::vector<std::string> pages;
    for (const DesktopState& s : shown) {
        if (s.show != Show::Page) continue;
        need.webgl = need.webgl || s.needs.webgl;
        if (std::find(pages.begin(), pages.end(), s.wallpaper) == pages.end()) pages.push_back(s.wallpaper);
    }
    need.renderers = std::max<int>(1, static_cast<int>(pages.size()));
    return need;
}

} // namespace host
