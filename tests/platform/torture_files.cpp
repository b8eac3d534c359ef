#include "platform/torture_files.h"

#include "platform/files.h"
#include "platform/posix/shell_state.h"
#include "platform/prefix.h"
#include "platform/text.h"
#include "platform/win32.h"
#include "runtime/failure.h"

#include <cstdlib>

namespace torture {

namespace {
constexpr size_t kPadding = 64 * 1024;
constexpr const char* kProfile = "C:\\Torture\\prefs.ini";
constexpr const char* kOptions = "C:\\Torture\\themes\\options.txt";
// Each kind: its name, its file, and how it is read and written.
struct KindOf {
    const char* name;
    std::string (*target)();
    std::string (*read)();
    bool (*write)(const std::string&);
};

const KindOf kOf[] = {
    {"registry", [] { return platform::PrefixDir() + "/registry.reg"; },
     [] {
         HKEY key;
         if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Torture", 0, KEY_QUERY_VALUE, &key))
             return std::string();
         std::string buf(kPadding + 64, '\0');
         DWORD size = static_cast<DWORD>(buf.size());
         LONG rc = RegQueryValueExA(key, "Value", nullptr, nullptr,
                                    reinterpret_cast<LPBYTE>(buf.data()), &size);
         RegCloseKey(key);
         return rc != ERROR_SUCCESS || size == 0 ? std::string() : buf.substr(0, size - 1);
     },
     [](const std::string& value) {
         HKEY key;
         if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Torture", 0, nullptr, 0,
                             KEY_ALL_ACCESS, nullptr, &key, nullptr))
             return false;
         LONG rc = RegSetValueExA(key, "Value", 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>(value.size() + 1));
         RegCloseKey(key);
         return rc == ERROR_SUCCESS;
     }},
    {"profile", [] { return platform::MapPath(kProfile); },
     [] {
         std::string buf(kPadding + 64, '\0');
         DWORD n = GetPrivateProfileStringA("Torture", "Value", "", buf.data(),
                                            static_cast<DWORD>(buf.size()), kProfile);
         return buf.substr(0, n);
     },
     [](const std::string& value) {
         return WritePrivateProfileStringA("Torture", "Value", value.c_str(), kProfile) != 0;
     }},
    {"shell", [] { return platform::PrefixDir() + "/shell.ini"; },
     [] {
         platform::ShellState s;
         std::string error;
         return platform::LoadShellState(s, error) ? s.wallpaper : std::string();
     },
     [](const std::string& value) {
         platform::ShellState s;
         std::string error;
         if (!platform::LoadShellState(s, error)) s = platform::ShellState{};
         s.wallpaper = value;
         return platform::SaveShellState(s) == 0;
     }},
    {"options", [] { return platform::MapPath(kOptions); },
     [] {
         try {
             std::string line = platform::ReadFirstLine(kOptions);
             return line.compare(0, 3, "&v=") == 0 ? line.substr(3) : line;
         } catch (const Failure&) {
             return std::string();
         }
     },
     [](const std::string& value) {
         try {
             platform::WriteTextFile(kOptions, "&v=" + value + "\r\n");
             return true;
         } catch (const Failure&) {
             return false;
         }
     }},
};

const KindOf& Of(Kind k) {
    return kOf[static_cast<int>(k)];
}
} // namespace

const char* Name(Kind k) {
    return Of(k).name;
}

std::string Target(Kind k) {
    return Of(k).target();
}

std::string Value(long seq) {
    return "seq:" + std::to_string(seq) + ":" + std::string(kPadding, 'x') + ":end";
}

long SeqOf(const std::string& v) {
    if (v.compare(0, 4, "seq:") != 0) return -1;
    size_t colon = v.find(':', 4);
    if (colon == std::string::npos) return -1;
    std::string rest = v.substr(colon + 1);
    if (rest != std::string(kPadding, 'x') + ":end") return -1;
    return std::strtol(v.c_str() + 4, nullptr, 10);
}

std::string Read(Kind k) {
    return Of(k).read();
}

bool Write(Kind k, const std::string& value) {
    return Of(k).write(value);
}

} // namespace torture
