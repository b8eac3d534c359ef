#include "platform/posix/shell_state.h"

#include "platform/posix/profile_file.h"
#include "platform/prefix.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace platform {

std::string ShellIniPath() {
    std::string path = PrefixDir() + "/shell.ini";
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT) {
        WriteLock lock;
        if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT)
            WriteFileAtomic(path, DefaultShellIni());
    }
    return path;
}

namespace {

bool ReadFlag(const ini::Document& d, const char* key, bool& out, std::string& error) {
    auto v = d.Get("ActiveDesktop", key);
    if (!v) return true;
    if (*v == "0" || *v == "1") {
        out = *v == "1";
        return true;
    }
    error = std::string("ActiveDesktop ") + key + " must be 0 or 1, not \"" + *v + "\"";
    return false;
}

// Writes a value so that the profile reader gives it back unchanged: blanks
// around it or surrounding quotes are protected by a pair of quotes.
std::string Protect(const std::string& v) {
    bool needs = !v.empty() && (v.front() == ' ' || v.front() == '\t' || v.back() == ' ' ||
                                v.back() == '\t' || v.front() == '"' || v.front() == '\'');
    return needs ? "\"" + v + "\"" : v;
}

} // namespace

bool LoadShellState(ShellState& state, std::string& error, int* readError) {
    if (readError) *readError = 0;
    std::string bytes;
    if (!ReadWholeFile(ShellIniPath(), bytes)) {
        if (readError) *readError = errno;
        error = std::string("cannot read shell.ini: ") + std::strerror(errno);
        return false;
    }
    return ParseShellState(bytes, state, error);
}

bool ParseShellState(std::string_view bytes, ShellState& state, std::string& error) {
    auto d = ini::Document::Parse(bytes);
    ShellState s;
    if (!ReadFlag(d, "Enabled", s.activeDesktop, error) ||
        !ReadFlag(d, "EnableComponents", s.enableComponents, error))
        return false;
    s.wallpaper = d.Get("ActiveDesktop", "Wallpaper").value_or("");
    std::string count = d.Get("DesktopItems", "Count").value_or("0");
    char* end = nullptr;
    long n = std::strtol(count.c_str(), &end, 10);
    if (count.empty() || *end || n < 0 || n > 4096) {
        error = "DesktopItems Count must be a number from 0 to 4096, not \"" + count + "\"";
        return false;
    }
    for (long i = 0; i < n; ++i) {
        auto item = d.Get("DesktopItems", "Item" + std::to_string(i));
        if (!item) {
            error = "DesktopItems Item" + std::to_string(i) + " is missing";
            return false;
        }
        s.items.push_back(*item);
    }
    for (const auto& member : d.KeyNames("Faults")) {
        std::string v = d.Get("Faults", member).value_or("");
        if (!v.empty())
            s.faults[ToUpperAscii(member)] =
                static_cast<int32_t>(std::strtoul(v.c_str(), nullptr, 0));
    }
    state = std::move(s);
    return true;
}

int SaveShellState(const ShellState& s) {
    std::string path = ShellIniPath();
    WriteLock lock;
    std::string bytes;
    if (!ReadWholeFile(path, bytes) && errno != ENOENT) return errno;
    return WriteFileAtomic(path, UpdateShellIni(bytes, s));
}

std::string UpdateShellIni(std::string_view bytes, const ShellState& s) {
    auto d = ini::Document::Parse(bytes);
    d.Set("ActiveDesktop", "Enabled", s.activeDesktop ? "1" : "0");
    d.Set("ActiveDesktop", "EnableComponents", s.enableComponents ? "1" : "0");
    d.Set("ActiveDesktop", "Wallpaper", Protect(s.wallpaper));
    for (const auto& k : d.KeyNames("DesktopItems"))
        if (k.size() > 4 && EqualsNoCase(k.substr(0, 4), "Item")) d.RemoveKey("DesktopItems", k);
    d.Set("DesktopItems", "Count", std::to_string(s.items.size()));
    for (size_t i = 0; i < s.items.size(); ++i)
        d.Set("DesktopItems", "Item" + std::to_string(i), Protect(s.items[i]));
    return d.Serialize();
}

} // namespace platform
