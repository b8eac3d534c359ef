// The classic desktop wallpaper (not the Active Desktop).
#pragma once

#include <string>

// Makes a picture file the desktop wallpaper.
void kel_ApplyWallPaperO(const std::string& path);
// Sets the wallpaper style and tiling to "tiled" under an existing desktop key.
void kel_TileWallPaperO();
