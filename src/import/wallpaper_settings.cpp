// The settings of an imported wallpaper as a module's properties. Wallpapers
// are written for programs that check little, so what they declare is made
// to fit the module's rules rather than refused: a default off its steps
// goes to the nearest, a label twice is told apart, a slider too fine gets
// coarser steps.
#include "import/wallpaper_formats.h"

#include "platform/prefix.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace wallpaper::settings {

namespace {

constexpr double kMostSteps = 10000;
constexpr int kLongestText = 1000;

// The module's rule for a property's name: a letter, then letters, digits or
// _, at most 40 (zelkora set NAME=VALUE must be able to name it).
bool FitsName(const std::string& key) {
    if (key.empty() || key.size() > 40 || !std::isalpha(static_cast<unsigned char>(key[0])))
        return false;
    return std::all_of(key.begin(), key.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
}

// One line of UTF-8 text: control characters become spaces.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = ' ';
    return s;
}

// Cut to at most n characters, never inside a UTF-8 sequence.
std::string Characters(const std::string& s, size_t n) {
    size_t i = 0, count = 0;
    while (i < s.size() && count < n) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        i += c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
        ++count;
    }
    return s.substr(0, std::min(i, s.size()));
}

bool Named(Description& d, const Feed& feed, const std::string& what) {
    if (FitsName(feed.name)) return true;
    NotOffered(d, feed.name, what + " whose key is not a letter then letters, digits or _");
    return false;
}

package::Property Base(const Feed& feed, const std::string& label, package::Property::Type type) {
    package::Property p;
    p.name = feed.name;
    p.label = label.empty() ? feed.name : OneLine(label);
    p.type = type;
    return p;
}

void Add(Description& d, Feed feed, package::Property p) {
    d.properties.push_back(std::move(p));
    d.feeds.push_back(std::move(feed));
}

} // namespace

nlohmann::ordered_json ReadJson(const std::string& file, const std::string& shownAs) {
    std::string text;
    if (!platform::ReadWholeFile(file, text)) throw package::Refused(shownAs + ": it cannot be read");
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    auto doc = nlohmann::ordered_json::parse(text, nullptr, false);
    if (doc.is_discarded() || !doc.is_object())
        throw package::Refused(shownAs + ": it is not a JSON object");
    return doc;
}

std::string PlainText(const std::string& html) {
    static const std::pair<const char*, const char*> kEntities[] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"},
        {"&apos;", "'"}, {"&nbsp;", " "}};
    std::string out;
    bool space = false;
    for (size_t i = 0; i < html.size();) {
        char c = html[i];
        if (c == '<') {
            size_t end = html.find('>', i);
            if (end == std::string::npos) break;
            // A line break or a block ends a word as a space would.
            space = true;
            i = end + 1;
            continue;
        }
        if (c == '&') {
            bool known = false;
            for (auto [entity, text] : kEntities)
                if (html.compare(i, std::char_traits<char>::length(entity), entity) == 0) {
                    if (space && !out.empty()) out += ' ';
                    space = false;
                    out += text;
                    i += std::char_traits<char>::length(entity);
                    known = true;
                    break;
                }
            if (known) continue;
        }
        if (std::isspace(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) < 32) {
            space = true;
        } else {
            if (space && !out.empty()) out += ' ';
            space = false;
            out += c;
        }
        ++i;
    }
    return out;
}

void NotOffered(Description& d, const std::string& name, const std::string& what) {
    d.warnings.push_back({"", "the setting \"" + name + "\" (" + what + ") is not offered here",
                          true});
}

bool AddSlider(Description& d, Feed feed, const std::string& label, double min, double max,
               double step, double value) {
    if (!Named(d, feed, "a slider")) return false;
    if (!std::isfinite(min) || !std::isfinite(max) || !(min < max)) {
        NotOffered(d, feed.name, "a slider whose min is not below its max");
        return false;
    }
    if (!std::isfinite(step) || step <= 0) step = 1;
    step = std::min(step, max - min);
    while ((max - min) / step > kMostSteps)
        step *= 10;
    package::Property p = Base(feed, label, package::Property::Slider);
    p.min = min;
    p.max = max;
    p.step = step;
    if (!std::isfinite(value)) value = min;
    p.defaultValue = package::SliderValue(p, static_cast<int>(std::lround((value - min) / step)));
    // The top of the range may lie off the steps; the nearest step within it serves.
    std::string why;
    if (!package::CheckValue(p, p.defaultValue, why))
        p.defaultValue = package::SliderValue(p, package::SliderSteps(p) - 1);
    Add(d, std::move(feed), std::move(p));
    return true;
}

bool AddChoice(Description& d, Feed feed, const std::string& label,
               const std::vector<std::string>& labels, size_t chosen) {
    if (!Named(d, feed, "a list")) return false;
    if (labels.empty()) {
        NotOffered(d, feed.name, "a list with nothing to choose");
        return false;
    }
    package::Property p = Base(feed, label, package::Property::Choice);
    // The user sees and sets the labels, so each must be one of its own.
    for (const std::string& raw : labels) {
        std::string text = Characters(OneLine(raw), 200);
        if (text.empty()) text = "(none)";
        std::string unique = text;
        for (int n = 2; std::find(p.choices.begin(), p.choices.end(), unique) != p.choices.end(); ++n)
            unique = text + " (" + std::to_string(n) + ")";
        p.choices.push_back(unique);
    }
    p.defaultValue = p.choices[chosen < p.choices.size() ? chosen : 0];
    Add(d, std::move(feed), std::move(p));
    return true;
}

void AddColor(Description& d, Feed feed, const std::string& label, const std::string& hex) {
    if (!Named(d, feed, "a colour")) return;
    package::Property p = Base(feed, label, package::Property::Color);
    p.defaultValue = hex;
    Add(d, std::move(feed), std::move(p));
}

void AddCheckbox(Description& d, Feed feed, const std::string& label, bool value) {
    if (!Named(d, feed, "a box")) return;
    package::Property p = Base(feed, label, package::Property::Checkbox);
    p.defaultValue = value ? "true" : "false";
    Add(d, std::move(feed), std::move(p));
}

void AddText(Description& d, Feed feed, const std::string& label, const std::string& value) {
    if (!Named(d, feed, "a text")) return;
    package::Property p = Base(feed, label, package::Property::Text);
    p.maxLength = kLongestText;
    p.defaultValue = Characters(OneLine(value), kLongestText);
    Add(d, std::move(feed), std::move(p));
}

void AddHeading(Description& d, const std::string& name, const std::string& label) {
    if (!FitsName(name) || label.empty()) return; // a heading lost is no setting lost
    d.properties.push_back(Base(Feed{name, "label", {}, {}}, label, package::Property::Label));
}

std::string HexColor(const std::string& text) {
    static const char* kDigits = "0123456789abcdef";
    auto hex = [](int v) {
        std::string s;
        s += kDigits[(v >> 4) & 15];
        s += kDigits[v & 15];
        return s;
    };
    if (!text.empty() && text[0] == '#') {
        std::string digits = text.substr(1);
        bool ok = (digits.size() == 6 || digits.size() == 8) &&
                  std::all_of(digits.begin(), digits.end(),
                              [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
        if (!ok) return "#000000";
        // #AARRGGBB: the alpha goes.
        return "#" + platform::ToLowerAscii(digits.substr(digits.size() - 6));
    }
    double r = 0, g = 0, b = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%lf %lf %lf %c", &r, &g, &b, &rest) != 3) return "#000000";
    auto channel = [](double v) {
        return static_cast<int>(std::lround(std::clamp(std::isfinite(v) ? v : 0.0, 0.0, 1.0) * 255));
    };
    return "#" + hex(channel(r)) + hex(channel(g)) + hex(channel(b));
}

} // namespace wallpaper::settings
