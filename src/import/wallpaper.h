// Web wallpapers of the two big Windows programs, Lively Wallpaper's (a folder
// or zip with LivelyInfo.json) and Wallpaper Engine's (a folder or zip with
// project.json), made into modules: their settings become the module's
// properties, and their pages are fed in the form each program's pages expect.
// No Qt: the installer's tool makes the preview a PNG and installs the module.
#pragma once

#include "package/manifest.h"
#include "package/quick_module.h"

#include <optional>
#include <string>
#include <vector>

namespace wallpaper {

// Whether path is a wallpaper to import: a folder or a .zip (not a .zelkora
// package) that holds LivelyInfo.json or project.json at its root or one
// folder down. A zip is not opened: it is taken as one, and read on import.
bool IsWallpaper(const std::string& path);

struct Imported {
    package::Manifest manifest;            // written in the folder as zelkora.json
    std::vector<package::Problem> warnings; // what will not work here
    bool webAddress = false;                // a module made from a web address
};

// Makes the wallpaper at path (a folder or zip) into a module in folder (an
// existing empty folder). Throws package::Refused, saying why and what would
// work; the caller removes folder.
Imported Import(const std::string& path, const std::string& folder);

// Everything --check says of a wallpaper: its refusal, or the module's own
// problems and what will not work here.
std::vector<package::Problem> Check(const std::string& path, package::Manifest* manifest = nullptr);

// The themes imported wallpapers go to, one a format.
inline constexpr char kLivelyTheme[] = "Lively wallpapers";
inline constexpr char kWallpaperEngineTheme[] = "Wallpaper Engine wallpapers";

} // namespace wallpaper
