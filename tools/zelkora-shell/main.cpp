// zelkora-shell: shows and arranges the emulated desktop of a prefix: the
// Active Desktop, its wallpaper and items, the classic wallpaper, the Windows
// version and the online switch.
#include "runtime/command_line.h"
#include "platform/posix/profile_file.h"
#include "platform/posix/shell_state.h"
#include "platform/desktop_host.h"
#include "platform/prefix.h"
#include "platform/win32.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

const char* kUsage = R"(usage: zelkora-shell COMMAND [ARGUMENTS]

Shows or changes the emulated desktop of $ZELKORA_PREFIX (or ~/.zelkora).

Commands:
  show                              print the whole desktop state
  active-desktop on|off             switch the Active Desktop
  components on|off                 switch the desktop components
  wallpaper TEXT                    set the Active Desktop wallpaper ("" clears it)
  add-item NAME                     add a desktop item (e.g. "My Current Home Page")
  remove-item INDEX                 remove the desktop item at INDEX (from 0)
  clear-items                       remove every desktop item
  classic-wallpaper PATH            set the classic wallpaper (Control Panel\Desktop)
  tiling STYLE TILE                 set WallpaperStyle and TileWallpaper
  version MAJOR.MINOR               the Windows version reported (e.g. 5.0, 5.1, 6.1)
  online auto|0|1                   the network state reported (auto probes the machine)
  fail MEMBER HRESULT               make an Active Desktop member fail (e.g. SetWallpaper 0x80004005)
  clear-faults                      let every member succeed again
  reset                             restore the shell state of a new prefix
  pause-on-battery on|off           let the desktop rest while on battery (a preference)

Options: --help, --version.
Exit status: 0 done, 1 the change failed, 2 the command line is wrong.)";

struct UsageError {
    std::string message;
};
struct CommandError {
    std::string message;
};

platform::ShellState Load() {
    platform::ShellState s;
    std::string error;
    if (!platform::LoadShellState(s, error)) throw CommandError{error};
    return s;
}

void Save(const platform::ShellState& s) {
    if (int e = platform::SaveShellState(s))
        throw CommandError{std::string("cannot write shell.ini: ") + std::strerror(e)};
}

// Changes one key of shell.ini, keeping everything else.
void SetIni(const char* section, const char* key, const char* value) {
    std::string path = platform::ShellIniPath();
    platform::WriteLock lock;
    std::string bytes;
    platform::ReadWholeFile(path, bytes);
    auto d = platform::ini::Document::Parse(bytes);
    if (value)
        d.Set(section, key, value);
    else if (key)
        d.RemoveKey(section, key);
    else
        d.RemoveSection(section);
    if (int e = platform::WriteFileAtomic(path, d.Serialize()))
        throw CommandError{std::string("cannot write shell.ini: ") + std::strerror(e)};
}

std::string IniValue(const char* section, const char* key, const char* fallback) {
    std::string bytes;
    platform::ReadWholeFile(platform::ShellIniPath(), bytes);
    return platform::ini::Document::Parse(bytes).Get(section, key).value_or(fallback);
}

std::string RegistryValue(HKEY root, const char* key, const char* name) {
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return "(no key)";
    std::string buf(4096, '\0');
    DWORD size = static_cast<DWORD>(buf.size()), type = 0;
    LONG rc =
        RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<LPBYTE>(buf.data()), &size);
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS) return "(absent)";
    return buf.substr(0, size ? size - 1 : 0);
}

std::string DesktopValue(const char* name) {
    return RegistryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", name);
}

// The Manager's preferences file, from the installation's settings.
std::string PreferencesFile() {
    const char* key = "SOFTWARE\\Zelkora\\Zelkora\\1";
    std::string path = RegistryValue(HKEY_LOCAL_MACHINE, key, "INIFilePath"),
                name = RegistryValue(HKEY_LOCAL_MACHINE, key, "INIFileName");
    if (name.empty() || name[0] == '(' || path[0] == '(')
        throw CommandError{"no installation is set up here (INIFilePath, INIFileName)"};
    return path + name;
}

void SetDesktopValue(const char* name, const std::string& value) {
    HKEY k;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &k, nullptr) != ERROR_SUCCESS)
        throw CommandError{"cannot open HKEY_CURRENT_USER\\Control Panel\\Desktop"};
    LONG rc = RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1));
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS) throw CommandError{std::string("cannot write ") + name};
}

bool OnOff(const std::string& v) {
    if (v == "on" || v == "1") return true;
    if (v == "off" || v == "0") return false;
    throw UsageError{"expected on or off, not " + v};
}

void Show() {
    auto s = Load();
    std::cout << "prefix: " << platform::PrefixDir() << "\n"
              << "active desktop: " << (s.activeDesktop ? "on" : "off") << "\n"
              << "components: " << (s.enableComponents ? "on" : "off") << "\n"
              << "wallpaper: " << s.wallpaper << "\n"
              << "desktop items: " << s.items.size() << "\n";
    for (size_t i = 0; i < s.items.size(); ++i)
        std::cout << "  " << i << ": " << s.items[i] << "\n";
    std::cout << "classic wallpaper: " << DesktopValue("Wallpaper") << "\n"
              << "wallpaper style: " << DesktopValue("WallpaperStyle") << "\n"
              << "tile wallpaper: " << DesktopValue("TileWallpaper") << "\n"
              << "windows version: " << IniValue("System", "Version", "5.1") << "\n"
              << "online: " << IniValue("System", "Online", "auto") << "\n";
    std::string display = platform::DesktopDisplay();
    std::cout << "desktop host: "
              << (display.empty()                   ? "no display"
                  : platform::DesktopHostRunning() ? "running on " + display
                                                    : "not running on " + display)
              << "\n";
    if (std::string why = platform::DesktopPageStopped(); !why.empty())
        std::cout << "desktop page: stopped, " << why << "\n";
    std::string bytes;
    platform::ReadWholeFile(platform::ShellIniPath(), bytes);
    auto d = platform::ini::Document::Parse(bytes);
    for (const auto& k : d.KeyNames("Faults"))
        std::cout << "failing member: " << k << " = " << d.Get("Faults", k).value_or("") << "\n";
}

int Run(const std::vector<std::string>& a) {
    if (a.empty()) {
        std::cerr << kUsage << '\n';
        return 2;
    }
    const std::string& cmd = a[0];
    auto args = [&](size_t n) {
        if (a.size() != n + 1)
            throw UsageError{cmd + " takes " + std::to_string(n) + " argument(s)"};
    };
    if (cmd == "--help" || cmd == "-h") {
        std::cout << kUsage << '\n';
    } else if (cmd == "--version") {
        std::cout << "zelkora-shell " << runtime::VersionText() << '\n';
    } else if (cmd == "pause-on-battery") {
        args(1);
        if (!WritePrivateProfileStringA("Options", "PauseOnBattery", OnOff(a[1]) ? "1" : "0",
                                        PreferencesFile().c_str()))
            throw CommandError{"cannot write the preferences file"};
    } else if (cmd == "show") {
        args(0);
        Show();
    } else if (cmd == "active-desktop" || cmd == "components") {
        args(1);
        auto s = Load();
        (cmd == "components" ? s.enableComponents : s.activeDesktop) = OnOff(a[1]);
        Save(s);
    } else if (cmd == "wallpaper") {
        args(1);
        if (a[1].find_first_of("\r\n") != std::string::npos)
            throw UsageError{"a wallpaper is one line"};
        auto s = Load();
        s.wallpaper = a[1];
        Save(s);
    } else if (cmd == "add-item") {
        args(1);
        auto s = Load();
        s.items.push_back(a[1]);
        Save(s);
    } else if (cmd == "remove-item") {
        args(1);
        auto s = Load();
        char* end = nullptr;
        unsigned long i = std::strtoul(a[1].c_str(), &end, 10);
        if (a[1].empty() || *end) throw UsageError{"INDEX must be a number"};
        if (i >= s.items.size()) throw CommandError{"no desktop item " + a[1]};
        s.items.erase(s.items.begin() + static_cast<long>(i));
        Save(s);
    } else if (cmd == "clear-items") {
        args(0);
        auto s = Load();
        s.items.clear();
        Save(s);
    } else if (cmd == "classic-wallpaper") {
        args(1);
        SetDesktopValue("Wallpaper", a[1]);
    } else if (cmd == "tiling") {
        args(2);
        SetDesktopValue("WallpaperStyle", a[1]);
        SetDesktopValue("TileWallpaper", a[2]);
    } else if (cmd == "version") {
        args(1);
        unsigned major, minor;
        char extra;
        if (std::sscanf(a[1].c_str(), "%u.%u%c", &major, &minor, &extra) != 2)
            throw UsageError{"version must be MAJOR.MINOR"};
        SetIni("System", "Version", a[1].c_str());
    } else if (cmd == "online") {
        args(1);
        if (a[1] != "auto" && a[1] != "0" && a[1] != "1")
            throw UsageError{"online takes auto, 0 or 1"};
        SetIni("System", "Online", a[1].c_str());
    } else if (cmd == "fail") {
        args(2);
        char* end = nullptr;
        errno = 0;
        unsigned long hr = std::strtoul(a[2].c_str(), &end, 0);
        if (a[2].empty() || *end || errno || hr < 0x80000000UL || hr > 0xFFFFFFFFUL)
            throw UsageError{"HRESULT must be a failure code such as 0x80004005"};
        SetIni("Faults", a[1].c_str(), a[2].c_str());
    } else if (cmd == "clear-faults") {
        args(0);
        SetIni("Faults", nullptr, nullptr);
    } else if (cmd == "reset") {
        args(0);
        platform::WriteLock lock;
        if (int e =
                platform::WriteFileAtomic(platform::ShellIniPath(), platform::DefaultShellIni()))
            throw CommandError{std::string("cannot write shell.ini: ") + std::strerror(e)};
    } else {
        throw UsageError{"unknown command " + cmd};
    }
    // What the desktop shows changed: the desktop host shows it (and is
    // started when none runs on this display).
    static const char* shown[] = {"active-desktop", "wallpaper", "classic-wallpaper", "tiling",
                                  "reset"};
    for (const char* c : shown)
        if (cmd == c) platform::SignalDesktopChanged();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << "zelkora-shell: " << e.message << " (see --help)\n";
        return 2;
    } catch (const CommandError& e) {
        std::cerr << "zelkora-shell: " << e.message << '\n';
        return 1;
    }
}
