#include "desktop/display_layout.h"

#include "platform/desktop_host.h"
#include "platform/prefix.h"

#include <charconv>
#include <cstdio>
#include <sstream>

namespace display_layout {

namespace {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t'))
        fields.push_back(field);
    return fields;
}

template <typename Number> bool Read(const std::string& text, Number& n) {
    const char* end = text.data() + text.size();
    auto [at, ec] = std::from_chars(text.data(), end, n);
    return ec == std::errc() && at == end;
}

// Names and wallpapers are kept on one line, parted by tabs: neither may
// hold a tab or a line's end.
bool Plain(const std::string& s) {
    return !s.empty() && s.find_first_of("\t\r\n") == std::string::npos;
}

template <typename Each> void Lines(const std::string& text, Each each) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        each(Fields(line));
    }
}

bool Save(const std::string& path, const std::string& text) {
    platform::WriteLock lock;
    return platform::WriteFileAtomic(path, text) == 0;
}

} // namespace

std::string ChoicesPath() {
    return platform::PrefixDir() + "/displays.txt";
}

std::string SeenPath() {
    return platform::PrefixDir() + "/displays.seen";
}

std::string FormatChoices(const Choices& choices) {
    std::string text = "# Zelkora: the module of each display that has its own (display, page),\n"
                       "# or * for the one module across all displays as one page\n";
    for (const auto& [name, wallpaper] : choices)
        if (Plain(name) && Plain(wallpaper)) text += name + '\t' + wallpaper + '\n';
    return text;
}

Choices ParseChoices(const std::string& text) {
    Choices choices;
    Lines(text, [&](const std::vector<std::string>& f) {
        if (f.size() == 2 && Plain(f[0]) && Plain(f[1])) choices[f[0]] = f[1];
    });
    return choices;
}

std::string FormatSeen(const std::vector<Display>& displays) {
    std::string text = "# Zelkora: the displays the desktop sees (name, width, height, scale, x, y)\n";
    for (const Display& d : displays) {
        if (!Plain(d.name)) continue;
        char scale[32];
        std::snprintf(scale, sizeof scale, "%g", d.scale);
        text += d.name + '\t' + std::to_string(d.width) + '\t' + std::to_string(d.height) + '\t' +
                scale + '\t' + std::to_string(d.x) + '\t' + std::to_string(d.y) + '\n';
    }
    return text;
}

std::vector<Display> ParseSeen(const std::string& text) {
    std::vector<Display> displays;
    Lines(text, [&](const std::vector<std::string>& f) {
        Display d;
        if (f.size() == 6 && Plain(f[0]) && Read(f[1], d.width) && Read(f[2], d.height) &&
            Read(f[3], d.scale) && Read(f[4], d.x) && Read(f[5], d.y) && d.width > 0 &&
            d.height > 0 && d.scale > 0) {
            d.name = f[0];
            displays.push_back(d);
        }
    });
    return displays;
}

Choices LoadChoices() {
    std::string text;
    return platform::ReadWholeFile(ChoicesPath(), text) ? ParseChoices(text) : Choices{};
}

bool SaveChoices(const Choices& choices) {
    return Save(ChoicesPath(), FormatChoices(choices));
}

bool ChooseForDisplay(const std::string& display, const std::string& wallpaper) {
    // A display's own module ends the page across them all.
    Choices choices = LoadChoices();
    choices.erase(kAcrossAll);
    choices[display] = wallpaper;
    if (!SaveChoices(choices)) return false;
    platform::SignalDesktopChanged();
    return true;
}

bool Spans(const Choices& choices) {
    return choices.count(kAcrossAll) > 0;
}

bool SpanDisplays() {
    return SaveChoices({{kAcrossAll, "one page across all displays"}});
}

bool ForgetChoices() {
    return LoadChoices().empty() || SaveChoices({});
}

std::vector<std::string> DisplaysShowing(const Choices& choices, const std::string& wallpaper) {
    std::vector<std::string> names;
    for (const auto& [name, shown] : choices)
        if (shown == wallpaper) names.push_back(name);
    return names;
}

std::vector<Display> LoadSeen() {
    std::string text;
    return platform::ReadWholeFile(SeenPath(), text) ? ParseSeen(text) : std::vector<Display>{};
}

bool SaveSeen(const std::vector<Display>& displays) {
    return Save(SeenPath(), FormatSeen(displays));
}

} // namespace display_layout
