// What the importer reads of a wallpaper, whichever program it was made for:
// its kind, its files, its settings as properties of a module, and how each
// setting reaches the page in the form that program's pages expect.
#pragma once

#include "package/manifest.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace wallpaper {

// How one property reaches the page.
struct Feed {
    std::string name;      // the property, under the wallpaper's own key
    std::string type;      // the format's own type ("color", "combo", "dropdown", ...)
    nlohmann::json values; // a choice: what each choice is sent as, in order
    std::string folder;    // a folder dropdown: the folder its files are in
};

struct Description {
    enum Format { Lively, WallpaperEngine } format = Lively;
    enum Kind { Web, Video, Picture, Address } kind = Web;
    std::string title, id, author, licence, description, contact;
    std::string file;      // the entry file, relative to the folder ("/"); Address: the address
    std::string preview;   // relative to the folder, "" for none
    std::string arguments; // Lively's command line for the page
    bool audio = false;    // the page asks for the sound
    bool media = false;    // the page asks for what the music player plays
    std::vector<package::Property> properties;
    std::vector<Feed> feeds; // one a property that has a value
    std::vector<package::Problem> warnings;
};

// The descriptor's file names, as their programs write them.
inline constexpr char kLivelyInfo[] = "LivelyInfo.json";
inline constexpr char kLivelyProperties[] = "LivelyProperties.json";
inline constexpr char kProjectJson[] = "project.json";

// Read from folder, the wallpaper's own (where its descriptor is). Throw
// package::Refused for a wallpaper that cannot be a module here.
Description ReadLively(const std::string& folder);
Description ReadWallpaperEngine(const std::string& folder);

// Helpers the two readers share.
namespace settings {
// A JSON file as written on Windows (a byte-order mark allowed); throws
// Refused naming it when it is not a JSON object.
nlohmann::ordered_json ReadJson(const std::string& file, const std::string& shownAs);
// A label as plain text: tags dropped, entities read, spaces folded.
std::string PlainText(const std::string& html);
// A property that says it cannot be offered here, as a warning.
void NotOffered(Description& d, const std::string& name, const std::string& what);
// The properties of each type, made to keep the module's rules whatever the
// wallpaper declared (a default off its steps, labels twice); false and a
// warning when there is nothing the user could set.
bool AddSlider(Description& d, Feed feed, const std::string& label, double min, double max,
               double step, double value);
bool AddChoice(Description& d, Feed feed, const std::string& label,
               const std::vector<std::string>& labels, size_t chosen);
void AddColor(Description& d, Feed feed, const std::string& label, const std::string& hex);
void AddCheckbox(Description& d, Feed feed, const std::string& label, bool value);
void AddText(Description& d, Feed feed, const std::string& label, const std::string& value);
void AddHeading(Description& d, const std::string& name, const std::string& label);
// "#rrggbb" from a text of Wallpaper Engine's ("r g b", each 0 to 1) or
// Lively's ("#RRGGBB", "#AARRGGBB"); black when it is neither.
std::string HexColor(const std::string& text);
} // namespace settings

} // namespace wallpaper
