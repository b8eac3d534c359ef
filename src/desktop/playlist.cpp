#include "desktop/playlist.h"

#include "desktop/kel_basActiveDesktop.h"
#include "platform/clock.h"
#include "platform/dao.h"
#include "platform/prefix.h"
#include "platform/win32.h"
#include "runtime/failure.h"
#include "startup/kel_basRegistry.h"

#include <algorithm>
#include <ctime>
#include <sstream>

namespace playlist {

namespace {

bool Whole(const std::string& s, int64_t& out) {
    if (s.empty() || s.size() > 12 || s.find_first_not_of("0123456789") != std::string::npos)
        return false;
    out = std::stoll(s);
    return true;
}

} // namespace

std::string FormatText(const Playlist& p) {
    std::ostringstream o;
    o << "on=" << (p.on ? 1 : 0) << "\nevery=" << p.everySeconds << "\nshuffle=" << (p.shuffle ? 1 : 0)
      << "\n";
    for (const auto& m : p.modules)
        o << "module=" << m << "\n";
    for (const auto& [minute, m] : p.at)
        o << "at=" << FormatTimeOfDay(minute) << " " << m << "\n";
    o << "current=" << p.current << "\nlast=" << p.last << "\n";
    return o.str();
}

bool ParseText(const std::string& text, Playlist& p, std::string& why) {
    p = Playlist{};
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) return why = "a line without '=': " + line, false;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        int64_t n = 0;
        int at = key == "at" && value.size() > 6 && value[5] == ' '
                     ? ParseTimeOfDay(value.substr(0, 5)).value_or(-1)
                     : -1;
        if (key == "module" && !value.empty())
            p.modules.push_back(value);
        else if (at >= 0)
            p.at.emplace_back(at, value.substr(6));
        else if ((key == "on" || key == "shuffle") && (value == "0" || value == "1"))
            (key == "on" ? p.on : p.shuffle) = value == "1";
        else if (key == "every" && Whole(value, n))
            p.everySeconds = n;
        else if (key == "last" && Whole(value, n))
            p.last = n;
        else if (key == "current" && (value == "-1" || Whole(value, n)))
            p.current = value == "-1" ? -1 : static_cast<int>(n);
        else
            return why = "a line that cannot be read: " + line, false;
    }
    std::sort(p.at.begin(), p.at.end());
    return true;
}

std::optional<int64_t> ParseDuration(const std::string& text) {
    if (text.empty()) return std::nullopt;
    int64_t unit = 1, n = 0;
    std::string digits = text;
    switch (text.back()) {
    case 's': digits.pop_back(); break;
    case 'm': unit = 60, digits.pop_back(); break;
    case 'h': unit = 3600, digits.pop_back(); break;
    }
    if (!Whole(digits, n) || n == 0 || n > 100000) return std::nullopt;
    return n * unit;
}

std::optional<int> ParseTimeOfDay(const std::string& text) {
    int64_t h = 0, m = 0;
    if (text.size() != 5 || text[2] != ':' || !Whole(text.substr(0, 2), h) ||
        !Whole(text.substr(3, 2), m) || h > 23 || m > 59)
        return std::nullopt;
    return static_cast<int>(h * 60 + m);
}

std::string FormatDuration(int64_t s) {
    if (s % 3600 == 0) return std::to_string(s / 3600) + "h";
    if (s % 60 == 0) return std::to_string(s / 60) + "m";
    return std::to_string(s) + "s";
}

std::string FormatTimeOfDay(int minute) {
    std::string h = std::to_string(minute / 60), m = std::to_string(minute % 60);
    return (h.size() < 2 ? "0" + h : h) + ":" + (m.size() < 2 ? "0" + m : m);
}

namespace {

// The entry of the day that applies at minuteOfDay, and when it began (wall
// seconds): the latest at or before it, else yesterday's last.
std::pair<int, int64_t> Applying(const Playlist& p, int minuteOfDay, int64_t dayStart) {
    int found = -1;
    for (int i = 0; i < static_cast<int>(p.at.size()); ++i)
        if (p.at[static_cast<size_t>(i)].first <= minuteOfDay) found = i;
    if (found >= 0) return {found, dayStart + p.at[static_cast<size_t>(found)].first * 60LL};
    int lastOne = static_cast<int>(p.at.size()) - 1;
    return {lastOne, dayStart - 86400 + p.at[static_cast<size_t>(lastOne)].first * 60LL};
}

} // namespace

std::optional<Step> Due(const Playlist& p, int64_t now, int minuteOfDay, int64_t dayStart,
                        const std::function<bool(const std::string&)>& installed,
                        const std::function<int(int)>& pick) {
    if (!p.on) return std::nullopt;
    if (p.everySeconds == 0) {
        if (p.at.empty()) return std::nullopt;
        auto [entry, began] = Applying(p, minuteOfDay, dayStart);
        if (p.last >= began) return std::nullopt;
        const std::string& m = p.at[static_cast<size_t>(entry)].second;
        if (!installed(m)) return std::nullopt;
        return Step{m, entry};
    }
    int n = static_cast<int>(p.modules.size());
    if (n == 0 || (p.current >= 0 && now < p.last + p.everySeconds)) return std::nullopt;
    std::vector<int> order;
    if (p.shuffle) {
        std::vector<int> others;
        for (int i = 0; i < n; ++i)
            if (i != p.current && installed(p.modules[static_cast<size_t>(i)])) others.push_back(i);
        if (!others.empty()) order.push_back(others[static_cast<size_t>(pick(static_cast<int>(others.size())))]);
    } else {
        for (int k = 1; k <= n; ++k)
            order.push_back((p.current + k + n) % n);
    }
    for (int i : order)
        if (installed(p.modules[static_cast<size_t>(i)])) return Step{p.modules[static_cast<size_t>(i)], i};
    return std::nullopt;
}

int64_t NextTime(const Playlist& p, int64_t now, int minuteOfDay, int64_t dayStart) {
    if (p.everySeconds > 0) return p.current < 0 ? now : std::max(now, p.last + p.everySeconds);
    for (const auto& [minute, m] : p.at)
        if (minute > minuteOfDay) return dayStart + minute * 60LL;
    return p.at.empty() ? 0 : dayStart + 86400 + p.at.front().first * 60LL;
}

std::string FilePath() {
    return platform::PrefixDir() + "/playlist.txt";
}

Playlist Load() {
    Playlist p;
    std::string text, why;
    if (platform::ReadWholeFile(FilePath(), text) && !ParseText(text, p, why)) p = Playlist{};
    return p;
}

bool Save(const Playlist& p) {
    platform::WriteLock lock;
    return platform::WriteFileAtomic(FilePath(), FormatText(p)) == 0;
}

std::pair<int, int64_t> LocalDay(int64_t now) {
    std::time_t t = static_cast<std::time_t>(now);
    std::tm local = platform::LocalTime(t);
    int minute = local.tm_hour * 60 + local.tm_min;
    return {minute, now - minute * 60LL - local.tm_sec};
}

std::string ModuleAddress(const std::string& themeSlashModule) {
    size_t slash = themeSlashModule.find('/');
    if (slash == std::string::npos) return {};
    std::string dataPath;
    if (!kel_GetRegistryString("SOFTWARE\\Zelkora\\Zelkora\\1", "DataPath", dataPath,
                               HKEY_LOCAL_MACHINE))
        return {};
    try {
        auto db = dao::DBEngine.OpenDatabase(dataPath + "Zelkora.mdb");
        auto rs = db.OpenRecordset(
            "SELECT ModuleURL FROM tblModules JOIN tblThemes ON ModuleThemeKey = ThemeKey "
            "WHERE ThemeTreeText = ? AND ModuleTreeText = ? AND ModuleTreeType = 200",
            dao::dbOpenSnapshot,
            {themeSlashModule.substr(0, slash), themeSlashModule.substr(slash + 1)});
        if (rs.Eof()) return {};
        Variant url = rs.Fields("ModuleURL").Value();
        return url.IsNull() ? std::string() : CStr(url);
    } catch (const Failure&) {
        return {};
    }
}

std::optional<Step> Advance(int64_t now) {
    return Advance(now, Load());
}

std::optional<Step> Advance(int64_t now, Playlist p) {
    auto [minute, dayStart] = LocalDay(now);
    auto installed = [](const std::string& m) { return !ModuleAddress(m).empty(); };
    std::optional<Step> step =
        Due(p, now, minute, dayStart, installed, [now](int n) { return static_cast<int>(now % n); });
    if (!step) return std::nullopt;
    CoInitialize(nullptr);
    if (!kel_ApplyWallPaperSwitchingOn(ModuleAddress(step->module))) return std::nullopt;
    p.current = step->index;
    p.last = now;
    if (!Save(p)) return std::nullopt;
    return step;
}

} // namespace playlist
