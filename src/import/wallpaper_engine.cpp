// Wallpaper Engine's format: project.json says what the wallpaper is, and its
// "general" object what the user may set, ordered by "order", with labels
// that may be tokens of its "localization".
#include "import/wallpaper_formats.h"

#include "platform/prefix.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace wallpaper {

namespace {

using nlohmann::ordered_json;
using package::Refused;

std::string Text(const ordered_json& doc, const char* field) {
    auto it = doc.find(field);
    if (it == doc.end()) return {};
    if (it->is_string()) return it->get<std::string>();
    if (it->is_number()) return it->dump(); // a workshop id is sometimes a number
    return {};
}

double Number(const ordered_json& doc, const char* field, double otherwise) {
    auto it = doc.find(field);
    if (it == doc.end()) return otherwise;
    if (it->is_number()) return it->get<double>();
    if (it->is_string()) { // written as text by some editors
        char* end = nullptr;
        std::string s = it->get<std::string>();
        double v = std::strtod(s.c_str(), &end);
        if (!s.empty() && end == s.c_str() + s.size()) return v;
    }
    return otherwise;
}

// A label: a "ui_" token read in English where the wallpaper says it, as
// plain text in any case.
std::string Label(const ordered_json& general, const std::string& text) {
    std::string out = text;
    if (text.rfind("ui_", 0) == 0) {
        // A token of Wallpaper Engine's own (ui_browse_properties_scheme_color)
        // that the wallpaper does not spell out reads as its words.
        out = text.substr(3);
        if (out.rfind("browse_properties_", 0) == 0) out.erase(0, 18);
        for (char& c : out)
            if (c == '_') c = ' ';
        if (!out.empty()) out[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(out[0])));
        auto loc = general.find("localization");
        if (loc != general.end() && loc->is_object()) {
            for (const char* language : {"en-us", "en-US", "en"}) {
                auto lang = loc->find(language);
                if (lang != loc->end() && lang->is_object()) {
                    std::string found = Text(*lang, text.c_str());
                    if (!found.empty()) {
                        out = found;
                        break;
                    }
                }
            }
        }
    }
    return settings::PlainText(out);
}

void ReadProperties(Description& d, const ordered_json& project) {
    auto general = project.find("general");
    if (general == project.end() || !general->is_object()) return;
    auto props = general->find("properties");
    if (props == general->end() || !props->is_object()) return;
    // By "order"; those without one keep their place after those with one.
    std::vector<std::pair<std::string, const ordered_json*>> list;
    for (const auto& [key, p] : props->items())
        if (p.is_object()) list.emplace_back(key, &p);
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
        return Number(*a.second, "order", 1e18) < Number(*b.second, "order", 1e18);
    });
    for (const auto& [key, pp] : list) {
        const ordered_json& p = *pp;
        std::string type = platform::ToLowerAscii(Text(p, "type"));
        std::string label = Label(*general, Text(p, "text"));
        Feed feed{key, type, {}, {}};
        auto value = p.find("value");
        if (type == "slider") {
            double step = Number(p, "step", 0);
            if (step <= 0) {
                auto fraction = p.find("fraction");
                bool fractional = fraction != p.end() && fraction->is_boolean() && fraction->get<bool>();
                int precision = static_cast<int>(std::clamp(Number(p, "precision", 2), 0.0, 6.0));
                step = fractional ? std::pow(10.0, -precision) : 1;
            }
            settings::AddSlider(d, feed, label, Number(p, "min", 0), Number(p, "max", 100), step,
                                Number(p, "value", Number(p, "min", 0)));
        } else if (type == "color") {
            settings::AddColor(d, feed, label, settings::HexColor(Text(p, "value")));
        } else if (type == "bool") {
            bool on = value != p.end() &&
                      ((value->is_boolean() && value->get<bool>()) ||
                       (value->is_number() && value->get<double>() != 0) ||
                       (value->is_string() && value->get<std::string>() == "true"));
            settings::AddCheckbox(d, feed, label, on);
        } else if (type == "textinput") {
            settings::AddText(d, feed, label, Text(p, "value"));
        } else if (type == "combo") {
            // The user sees the options' labels; the page gets their values,
            // a text or a number as declared.
            std::vector<std::string> labels;
            size_t chosen = 0;
            if (auto options = p.find("options"); options != p.end() && options->is_array())
                for (const auto& o : *options) {
                    if (!o.is_object()) continue;
                    nlohmann::json v = o.contains("value") ? nlohmann::json::parse(o["value"].dump())
                                                          : nlohmann::json(labels.size());
                    if (value != p.end() && (v.dump() == value->dump() ||
                                             (v.is_string() && value->is_number() &&
                                              v.get<std::string>() == value->dump()) ||
                                             (v.is_number() && value->is_string() &&
                                              v.dump() == value->get<std::string>())))
                        chosen = labels.size();
                    labels.push_back(Label(*general, Text(o, "label")));
                    feed.values.push_back(std::move(v));
                }
            settings::AddChoice(d, feed, label, labels, chosen);
        } else if (type == "text" || type == "group") {
            settings::AddHeading(d, key, label);
        } else if (type == "file" || type == "directory") {
            settings::NotOffered(d, key, type == "file" ? "a file of the user's" : "a folder of the user's");
        } else {
            settings::NotOffered(d, key, "of the type \"" + type + "\"");
        }
    }
}

} // namespace

Description ReadWallpaperEngine(const std::string& folder) {
    ordered_json project = settings::ReadJson(platform::MapUnder(folder, kProjectJson), kProjectJson);
    Description d;
    d.format = Description::WallpaperEngine;
    d.title = Text(project, "title");
    d.id = Text(project, "workshopid");
    d.description = Text(project, "description");
    d.file = Text(project, "file");
    d.preview = Text(project, "preview");
    std::string type = platform::ToLowerAscii(Text(project, "type"));
    if (type == "web") {
        d.kind = Description::Web;
    } else if (type == "video") {
        d.kind = Description::Video;
    } else if (type == "scene") {
        throw Refused(std::string(kProjectJson) +
                      ": a scene wallpaper needs Wallpaper Engine's own renderer; web and video "
                      "wallpapers can be imported");
    } else if (type == "application") {
        throw Refused(std::string(kProjectJson) +
                      ": an application wallpaper runs a Windows program; web and video "
                      "wallpapers can be imported");
    } else {
        throw Refused(std::string(kProjectJson) + ": the type \"" + Text(project, "type") +
                      "\" is unknown; web and video wallpapers can be imported");
    }
    if (auto general = project.find("general"); general != project.end() && general->is_object()) {
        auto audio = general->find("supportsaudioprocessing");
        d.audio = audio != general->end() && audio->is_boolean() && audio->get<bool>();
    }
    if (d.kind == Description::Web) ReadProperties(d, project);
    return d;
}

} // namespace wallpaper
