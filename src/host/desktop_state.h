// What the emulated desktop shows, read from the shell state and the registry
// through the platform layer's own code: the Active Desktop wallpaper (a page
// or a picture) while the Active Desktop is on, else the classic wallpaper.
#pragma once

#include "desktop/display_layout.h"

#include <string>

namespace host {

enum class Show { Page, Picture, Classic };
enum class Placement { Centre, Tile, Stretch };

// What the shown page's module says it needs (its zelkora.json).
struct PageNeeds {
    bool webgl = false; // draws with WebGL
    bool audio = false; // hears the sound the computer plays
    bool media = false; // sees what the music player plays
    std::string module; // its name
    bool operator==(const PageNeeds&) const = default;
};

struct DesktopState {
    Show show = Show::Classic;
    bool activeDesktop = false; // switched on
    // Show::Page: the address to load (the application scheme's for a page
    // of the installation, else an http(s) address the user chose);
    // Show::Picture: the native path of the picture.
    std::string wallpaper;
    bool remote = false; // a page of the web, not of the installation
    PageNeeds needs;     // of the page's module (Show::Page of the installation)
    // The installation's folder (native), which the application scheme serves.
    std::string appRoot;
    // The preferences file beside the Manager's own keys (native; "" when
    // the installation names none).
    std::string preferences;
    // The classic wallpaper: a native path ("" for none) and how it is placed.
    std::string classicPicture;
    Placement placement = Placement::Centre;
    // Why the shell state could not be read ("" when it could).
    std::string problem;
    bool operator==(const DesktopState&) const = default;
};

DesktopState ReadDesktopState();
// The same desktop showing another wallpaper of the Active Desktop (a
// display's own module); while the Active Desktop is off, or when that
// wallpaper cannot be shown, as it is.
DesktopState WithWallpaper(const DesktopState& all, const std::string& wallpaper);

// What the pages of every display and of the displays given a module of
// their own need of the browser: WebGL for any of them, and a renderer each
// (the same module on several displays is one page).
struct PagesNeed {
    bool webgl = false;
    int renderers = 1;
};
PagesNeed NeedsOfPages(const DesktopState& all, const display_layout::Choices& own);

// Whether Zelkora has something to show: a page or picture of the Active
// Desktop, or a classic wallpaper set through it. Otherwise the desktop host
// stays out of the way.
bool HasSomethingToShow(const DesktopState& state);

// The user's choice in the preferences file, [Options] PauseOnBattery=1: the
// desktop rests while the machine runs on battery.
bool PauseOnBattery(const std::string& preferences);

// The address of an Active Desktop wallpaper: an http(s) URL as it is; a
// Windows or native path, or a file: URL, as the application scheme's address
// of that file of the installation. Empty, with the reason in problem, for
// anything else: a missing page, a file outside the installation, another
// scheme.
std::string WallpaperAddress(const std::string& wallpaper, const std::string& appRoot,
                             bool& remote, std::string& problem);
// The installation's folder, native, from the installation's settings ("" when unset).
std::string ApplicationRoot();
// What the module of a page (a native path) says its page needs.
PageNeeds ReadPageNeeds(const std::string& nativePage);
// True when a wallpaper names a picture rather than a page.
bool IsPicture(const std::string& wallpaper);

} // namespace host
