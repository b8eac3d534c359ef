// The theme and module catalogue.
#pragma once

#include "runtime/variant.h"

#include <string>

// Fills AppState.ModuleItems (themes, then modules) and ModuleItemCount.
void zkr_LoadModuleData(const std::string& path);
struct ModuleRecord;
// The tree text of a loaded module's theme; "" when its theme is not loaded.
std::string zkr_ThemeTextOf(const ModuleRecord& module);
// True when no module row names the theme.
bool zkr_IsThemePhantomed(const std::string& path, const std::string& themeKey);
bool zkr_DoesThemeExist(const std::string& path, const std::string& themeKey);
bool zkr_DoesModuleExist(const std::string& path, const std::string& moduleKey);
// The module's uninstall folder, or "" when none could be read.
std::string zkr_GetModuleUninstallPath(const std::string& path, const std::string& moduleKey);
void zkr_DeleteModule(const Variant& path, const Variant& moduleKey);
// Without a handler of its own: a failure goes to the caller.
void zkr_DeleteTheme(const Variant& path, const Variant& themeKey);
// Removes the module's row, and its theme's row once no module names it.
void zkr_RemoveModuleData(const std::string& path, const std::string& moduleKey,
                          const std::string& themeKey);
