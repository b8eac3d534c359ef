// The values the user gave a module's properties, kept in the prefix
// (<prefix>/properties.json, one entry a module, by its theme's and its own
// folder). What a module declares is read from its installed zelkora.json
// anew each time, so an upgrade keeps the values that still suit it and the
// others read as their defaults.
#pragma once

#include "package/properties.h"

#include <string>
#include <utility>
#include <vector>

namespace module_properties {

struct Module {
    std::string key;    // "Theme/Module", the folders' names
    std::string folder; // the module's native folder
    std::vector<package::Property> declared;
    std::vector<std::string> values; // canonical, one a declared property
};

// The file of every module's values.
std::string StoreFile();

// A module by its native folder, or by the Windows path of its page.
Module Read(const std::string& moduleFolder);
Module ReadOfPage(const std::string& pagePath);

// Checks every assignment, then stores them all, or none: "" when stored (and
// m's values are then the stored ones), otherwise one line that names the
// property and why it was refused.
std::string Set(Module& m, const std::vector<std::pair<std::string, std::string>>& values);
// The module's values back to its defaults (and its entry gone); false when
// the file could not be written.
bool Forget(const std::string& key);

// The values as the module's page reads them: {"name": value, ...}.
std::string ValuesJson(const Module& m);

} // namespace module_properties
