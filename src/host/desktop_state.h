// What the emulated desktop shows, read from the shell state and the registry
// through the platform layer's own code: the Active Desktop wallpaper (a page
// or a picture) while the Active Desktop is on, else the classic wallpaper.
#pragma once

#include <string>

namespace host {

enum class Show { Page, Picture, Classic };
enum class Placement { Centre, Tile, Stretch };

struct DesktopState {
    Show show = Show::Classic;
    // Show::Page: the address to load (a file: URL for a local page);
    // Show::Picture: the native path of the picture.
    std::string wallpaper;
    // The classic wallpaper: a native path ("" for none) and how it is placed.
    std::string classicPicture;
    Placement placement = Placement::Centre;
    // Why the shell state could not be read ("" when it could).
    std::string problem;
    bool operator==(const DesktopState&) const = default;
};

DesktopState ReadDesktopState();

// The address of an Active Desktop wallpaper: a URL as it is, a Windows or
// native path as a file: URL of the mapped path.
std::string WallpaperAddress(const std::string& wallpaper);
// True when a wallpaper names a picture rather than a page.
bool IsPicture(const std::string& wallpaper);

} // namespace host
