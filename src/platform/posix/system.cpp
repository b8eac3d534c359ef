// System information, the online probe, waiting and the classic wallpaper.
#include "platform/desktop_host.h"
#include "platform/posix/profile_file.h"
#include "platform/posix/shell_state.h"
#include "platform/posix/win32_posix.h"
#include "platform/prefix.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace platform {

std::string DefaultShellIni() {
    return "[ActiveDesktop]\r\n"
           "Enabled=1\r\n"
           "EnableComponents=1\r\n"
           "Wallpaper=\r\n"
           "[DesktopItems]\r\n"
           "Count=1\r\n"
           "Item0=My Current Home Page\r\n"
           "[System]\r\n"
           "Version=5.1\r\n"
           "Online=auto\r\n";
}

} // namespace platform

namespace {

thread_local DWORD lastError = 0;

std::string SystemSetting(const char* key, const char* fallback) {
    std::string bytes;
    if (!platform::ReadWholeFile(platform::ShellIniPath(), bytes)) return fallback;
    auto v = platform::ini::Document::Parse(bytes).Get("System", key);
    return v ? *v : fallback;
}

bool InterfaceUp(const std::string& name) {
    std::ifstream f("/sys/class/net/" + name + "/operstate");
    std::string state;
    if (!(f >> state)) return true; // no sysfs: trust the routing table
    return state == "up" || state == "unknown";
}

// A non-loopback interface that is up and carries a default route.
bool ProbeNetwork() {
    {
        std::ifstream f("/proc/net/route");
        std::string line;
        std::getline(f, line); // header
        while (std::getline(f, line)) {
            std::istringstream ss(line);
            std::string iface, dest, gateway;
            unsigned flags = 0;
            if (!(ss >> iface >> dest >> gateway >> std::hex >> flags)) continue;
            if (iface != "lo" && dest == "00000000" && (flags & 0x1) && InterfaceUp(iface))
                return true;
        }
    }
    std::ifstream f6("/proc/net/ipv6_route");
    std::string line;
    while (std::getline(f6, line)) {
        std::istringstream ss(line);
        std::string dest, plen, src, splen, next, metric, ref, use, flags, iface;
        if (!(ss >> dest >> plen >> src >> splen >> next >> metric >> ref >> use >> flags >> iface))
            continue;
        if (dest == std::string(32, '0') && plen == "00" && iface != "lo" && InterfaceUp(iface))
            return true;
    }
    return false;
}

} // namespace

DWORD GetLastError() {
    return lastError;
}
void SetLastError(DWORD e) {
    lastError = e;
}

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
        info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) + 8) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::string v = SystemSetting("Version", "5.1");
    unsigned major = 5, minor = 1;
    if (std::sscanf(v.c_str(), "%u.%u", &major, &minor) < 1) major = 5, minor = 1;
    info->dwMajorVersion = major;
    info->dwMinorVersion = minor;
    info->dwBuildNumber = major == 5 && minor == 0   ? 2195
                          : major == 5 && minor == 1 ? 2600
                          : major == 5               ? 3790
                          : major == 6 && minor == 0 ? 6002
                          : major == 6 && minor == 1 ? 7601
                                                     : 0;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return TRUE;
}

BOOL InternetGetConnectedState(LPDWORD lpdwFlags, DWORD) {
    std::string online = SystemSetting("Online", "auto");
    bool up = online == "1" ? true : online == "0" ? false : ProbeNetwork();
    if (lpdwFlags)
        *lpdwFlags = up ? (INTERNET_CONNECTION_LAN | INTERNET_CONNECTION_CONFIGURED)
                        : INTERNET_CONNECTION_OFFLINE;
    return up ? TRUE : FALSE;
}

void Sleep(DWORD ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

BOOL SystemParametersInfoA(UINT uiAction, UINT, PVOID pvParam, UINT fWinIni) {
    if (uiAction != SPI_SETDESKWALLPAPER) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const char* path = pvParam ? static_cast<const char*>(pvParam) : "";
    if (fWinIni & SPIF_UPDATEINIFILE) {
        HKEY key;
        LONG open =
            RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_SET_VALUE, &key);
        if (open != ERROR_SUCCESS) {
            SetLastError(static_cast<DWORD>(open));
            return FALSE;
        }
        LONG rc = RegSetValueExA(key, "Wallpaper", 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                                 static_cast<DWORD>(std::strlen(path) + 1));
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS) {
            SetLastError(static_cast<DWORD>(rc));
            return FALSE;
        }
    }
    platform::SignalDesktopChanged();
    return TRUE;
}
