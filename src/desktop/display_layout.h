// The displays, by the names their system gives them (the RandR output on
// X11, the wl_output on Wayland), and the modules chosen for some of them.
// The Active Desktop wallpaper stays the module of every display; a display
// given a module of its own shows that one instead, kept by its name so
// that a display plugged in again shows it again. The desktop host keeps the
// displays it sees in the prefix too, for the programs that have no display
// connection of their own. Both files are written atomically.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace display_layout {

// Display name -> the wallpaper it shows instead of the Active Desktop's
// (a page's path as the Active Desktop keeps it).
using Choices = std::map<std::string, std::string>;

// The entry that lays the Active Desktop's module across all displays as
// one page, over the rectangle that bounds them ("*" names no display).
inline constexpr char kAcrossAll[] = "*";
bool Spans(const Choices& choices);

std::string ChoicesPath(); // <prefix>/displays.txt
Choices LoadChoices();
bool SaveChoices(const Choices& choices);

struct Display {
    std::string name;
    int width = 0, height = 0; // in pixels
    double scale = 1;
    int x = 0, y = 0;          // in logical pixels, on the desktop that spans them
    bool operator==(const Display&) const = default;
};

// A display given a module of its own (the wallpaper it shows), the desktop
// told. False when the file cannot be written.
bool ChooseForDisplay(const std::string& display, const std::string& wallpaper);
// Every display the Active Desktop's module again, or that module as one
// page across them all: the desktop sees it with the Apply that follows.
// False when the file cannot be written.
bool ForgetChoices();
bool SpanDisplays();
// The displays that show a wallpaper of their own, by name.
std::vector<std::string> DisplaysShowing(const Choices& choices, const std::string& wallpaper);

std::string SeenPath(); // <prefix>/displays.seen
// The displays the desktop host saw last, the first the one of the toyz.
std::vector<Display> LoadSeen();
bool SaveSeen(const std::vector<Display>& displays);

// The text of each file, and back: one entry a line, fields parted by tabs;
// a line that cannot be read is passed over.
std::string FormatChoices(const Choices& choices);
Choices ParseChoices(const std::string& text);
std::string FormatSeen(const std::vector<Display>& displays);
std::vector<Display> ParseSeen(const std::string& text);

} // namespace display_layout
