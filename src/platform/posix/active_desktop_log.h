// What the emulated shell was asked, in order, for tests that check the
// calls an operation makes ("GetWallpaper", "ApplyChanges(7)", "Release", ...).
#pragma once

#include <string>
#include <vector>

namespace platform {

std::vector<std::string>& ActiveDesktopCalls();
void LogShellCall(std::string call);
// Active Desktop objects not yet released.
long LiveActiveDesktopObjects();

} // namespace platform
