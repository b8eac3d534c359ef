// The Active Desktop adapter: the only place that talks to the shell's
// Active Desktop. Each operation creates its own shell object and releases it.
#pragma once

#include <string>

// The version rule: always true from Windows XP on, else the shell's state.
bool kel_IsActiveDesktopEnabled();
// The shell's own on/off state, on every version.
bool kel_IsActiveDesktopOn();
void kel_SetActiveDesktopEnabled();
void kel_SetActiveDesktopDisabled();
// Makes a page the wallpaper; false when the shell refused it (the failure has
// been reported), so that a caller does not take the page for applied.
bool kel_ApplyWallPaper(const std::string& pathOrUrl);
void kel_RemoveWallPaper();
std::string kel_GetWallPaper();
void kel_RemoveMyHomePageComponent();
// True when the Active Desktop wallpaper is one of the product's module pages.
bool zkr_IsZKRModuleApplied();

// The applied-module rule on a wallpaper: its file name (after the last
// backslash) is longer than 3 characters and begins with "ZKR" in any case.
bool zkr_IsZKRModulePage(const std::string& wallpaper);
// The same rule on a file name already taken from its path.
bool zkr_IsZKRModuleName(const std::string& name);
// The loaded module whose page is the wallpaper (a module page of the same
// file name, letter case aside): its index in AppState.ModuleItems, or 0.
int zkr_ModuleItemOfPage(const std::string& wallpaper);

// Makes a page the wallpaper of an Active Desktop that is on: switched on
// first when it is off, whatever the version rule says. False when the shell
// refused the page (reported).
bool kel_ApplyWallPaperSwitchingOn(const std::string& pathOrUrl);
