// Lively Wallpaper's format: LivelyInfo.json says what the wallpaper is,
// LivelyProperties.json (optional) what the user may set, in its own order.
#include "import/wallpaper_formats.h"

#include "platform/prefix.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace wallpaper {

namespace {

using nlohmann::ordered_json;
using package::Refused;

// Lively's kinds of wallpaper, by number; the name is what LivelyInfo.json
// may write instead.
enum LivelyType { App, Web, WebAudio, Url, Bizhawk, Unity, Godot, Video, Gif, UnityAudio, VideoStream, Picture };
constexpr const char* kTypeNames[] = {"app",   "web",   "webaudio",   "url",
                                      "bizhawk", "unity", "godot", "video",
                                      "gif",   "unityaudio", "videostream", "picture"};

std::string Text(const ordered_json& doc, const char* field) {
    auto it = doc.find(field);
    return it != doc.end() && it->is_string() ? it->get<std::string>() : std::string();
}

double Number(const ordered_json& doc, const char* field, double otherwise) {
    auto it = doc.find(field);
    return it != doc.end() && it->is_number() ? it->get<double>() : otherwise;
}

// Whether Lively's command line for the page holds a switch, as a word of its own.
bool HasArgument(const std::string& arguments, const std::string& name) {
    return (" " + arguments + " ").find(" " + name + " ") != std::string::npos;
}

int TypeOf(const ordered_json& info) {
    auto it = info.find("Type");
    if (it == info.end()) throw Refused(std::string(kLivelyInfo) + ": it has no \"Type\"");
    if (it->is_number_integer()) return it->get<int>();
    if (it->is_string()) {
        std::string name = platform::ToLowerAscii(it->get<std::string>());
        for (size_t t = 0; t < std::size(kTypeNames); ++t)
            if (name == kTypeNames[t]) return static_cast<int>(t);
    }
    throw Refused(std::string(kLivelyInfo) + ": the type " + it->dump() +
                  " is unknown; web, video, gif, picture and address wallpapers can be imported");
}

// The files of a folder that a filter such as "*.jpg|*.png" takes, by name.
std::vector<std::string> FilesMatching(const fs::path& folder, const std::string& filter) {
    std::vector<std::string> patterns;
    for (size_t i = 0; i <= filter.size();) {
        size_t bar = filter.find_first_of("|;", i);
        if (bar == std::string::npos) bar = filter.size();
        std::string p = filter.substr(i, bar - i);
        p.erase(0, p.find_first_not_of(' '));
        if (!p.empty()) patterns.push_back(platform::ToUpperAscii(p));
        i = bar + 1;
    }
    if (patterns.empty()) patterns.push_back("*");
    auto matches = [](const std::string& name, const std::string& pattern) {
        if (pattern == "*" || pattern == "*.*") return true;
        if (pattern.rfind("*", 0) == 0) return platform::EndsWithNoCase(name, pattern.substr(1));
        return platform::EqualsNoCase(name, pattern);
    };
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        if (!fs::is_regular_file(e.symlink_status())) continue;
        std::string name = e.path().filename().string();
        if (std::any_of(patterns.begin(), patterns.end(),
                        [&](const std::string& p) { return matches(name, p); }))
            out.push_back(name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

void ReadProperties(Description& d, const std::string& folder) {
    std::string file = platform::MapUnder(folder, kLivelyProperties);
    if (!fs::is_regular_file(fs::symlink_status(file))) return;
    ordered_json props = settings::ReadJson(file, kLivelyProperties);
    for (const auto& [key, p] : props.items()) {
        if (!p.is_object()) continue;
        std::string type = Text(p, "type"), label = Text(p, "text");
        Feed feed{key, type, {}, {}};
        auto value = p.find("value");
        if (type == "slider") {
            settings::AddSlider(d, feed, label, Number(p, "min", 0), Number(p, "max", 100),
                                Number(p, "step", 1), Number(p, "value", Number(p, "min", 0)));
        } else if (type == "color") {
            settings::AddColor(d, feed, label, settings::HexColor(Text(p, "value")));
        } else if (type == "checkbox") {
            settings::AddCheckbox(d, feed, label, value != p.end() && value->is_boolean() && value->get<bool>());
        } else if (type == "textbox") {
            settings::AddText(d, feed, label, Text(p, "value"));
        } else if (type == "dropdown") {
            std::vector<std::string> items;
            if (auto list = p.find("items"); list != p.end() && list->is_array())
                for (const auto& item : *list)
                    items.push_back(item.is_string() ? item.get<std::string>() : item.dump());
            // The page gets the index of the item chosen.
            for (size_t i = 0; i < items.size(); ++i)
                feed.values.push_back(i);
            size_t chosen = value != p.end() && value->is_number_unsigned() ? value->get<size_t>() : 0;
            settings::AddChoice(d, feed, label, items, chosen);
        } else if (type == "folderDropdown") {
            // The page gets folder\file, as Lively joins them on Windows.
            feed.folder = Text(p, "folder");
            for (char& c : feed.folder)
                if (c == '/') c = '\\';
            std::string rel = feed.folder;
            for (char& c : rel)
                if (c == '\\') c = '/';
            fs::path files = platform::MapUnder(folder, rel);
            if (feed.folder.empty() || rel.find("..") != std::string::npos ||
                !fs::is_directory(fs::symlink_status(files))) {
                settings::NotOffered(d, key, "a list of the files of a folder the wallpaper does not have");
                continue;
            }
            std::vector<std::string> names = FilesMatching(files, Text(p, "filter"));
            for (const auto& n : names)
                feed.values.push_back(n);
            std::string current = Text(p, "value");
            size_t chosen = static_cast<size_t>(
                std::find(names.begin(), names.end(), current) - names.begin());
            if (!names.empty()) settings::AddChoice(d, feed, label, names, chosen);
            else settings::NotOffered(d, key, "a list of the files of an empty folder");
        } else if (type == "label") {
            settings::AddHeading(d, key, settings::PlainText(label.empty() ? Text(p, "value") : label));
        } else if (type == "button") {
            settings::NotOffered(d, key, "a button");
        } else {
            settings::NotOffered(d, key, "of the type \"" + type + "\"");
        }
    }
}

} // namespace

Description ReadLively(const std::string& folder) {
    ordered_json info = settings::ReadJson(platform::MapUnder(folder, kLivelyInfo), kLivelyInfo);
    Description d;
    d.format = Description::Lively;
    d.title = Text(info, "Title");
    d.id = Text(info, "Id");
    d.author = Text(info, "Author");
    d.licence = Text(info, "License");
    d.description = Text(info, "Desc");
    d.contact = Text(info, "Contact");
    d.arguments = Text(info, "Arguments");
    d.file = Text(info, "FileName");
    d.preview = Text(info, "Thumbnail");
    if (d.preview.empty()) d.preview = Text(info, "Preview");
    int type = TypeOf(info);
    auto it = info.find("IsAbsolutePath");
    bool absolute = it != info.end() && it->is_boolean() && it->get<bool>();
    switch (type) {
    case Web:
    case WebAudio:
        d.kind = Description::Web;
        // Sound and what plays, as Lively gives them: by the type, or asked
        // for on the page's command line.
        d.audio = type == WebAudio || HasArgument(d.arguments, "--audio");
        d.media = HasArgument(d.arguments, "--system-nowplaying");
        break;
    case Url:
        d.kind = Description::Address;
        return d; // the address is all there is
    case Video:
        d.kind = Description::Video;
        break;
    case Gif:
    case Picture:
        d.kind = Description::Picture;
        break;
    case VideoStream:
        throw Refused(std::string(kLivelyInfo) +
                      ": a video stream wallpaper plays from the internet through Lively's own "
                      "player; web, video, gif, picture and address wallpapers can be imported");
    case App:
    case Bizhawk:
    case Unity:
    case Godot:
    case UnityAudio:
        throw Refused(std::string(kLivelyInfo) + ": an application wallpaper (type \"" +
                      kTypeNames[type] +
                      "\") runs a Windows program; web, video, gif, picture and address "
                      "wallpapers can be imported");
    default:
        throw Refused(std::string(kLivelyInfo) + ": the type " + std::to_string(type) +
                      " is unknown; web, video, gif, picture and address wallpapers can be imported");
    }
    if (absolute)
        throw Refused(std::string(kLivelyInfo) +
                      ": it names its file by an absolute path (IsAbsolutePath), outside its "
                      "folder; only a wallpaper whose files are all in its folder can be imported");
    if (d.kind == Description::Web) ReadProperties(d, folder);
    return d;
}

} // namespace wallpaper
