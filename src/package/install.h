// Installing a package: checked whole, unpacked beside the application
// folder, moved into place in one step, and then entered in the catalogue in
// one transaction. A kill at any moment leaves the item whole or absent (a
// folder moved but not yet entered is taken back by the next install).
#pragma once

#include "package/check.h"
#include "package/manifest.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace package {

// Where the installation is, from its registry settings.
struct Installation {
    std::string appPath;     // Windows path, ending with a backslash
    std::string modulesPath; // Windows path, ending with a backslash
    std::string catalogue;   // Windows path of the catalogue file
    // Throws Refused when Zelkora is not installed in the prefix.
    static Installation FromRegistry();
};

struct InstallOptions {
    bool force = false; // install a version that is not newer than the installed one
    bool webAddress = false; // the item is an address module made here (it may hold the address file)
    // Makes previewFile (a PNG) from the page of the item in itemFolder, for
    // the installation in appFolder (native); false when it cannot.
    std::function<bool(const std::string& appFolder, const std::string& itemFolder,
                       const Manifest&, const std::string& previewFile)>
        renderPreview;
    // Told how far the install is, 0 to 100, and what it does.
    std::function<void(int percent, const std::string& step)> progress;
};

struct Outcome {
    Manifest manifest;
    bool upgraded = false;
    std::string folder;            // the item's Windows folder
    std::vector<Problem> warnings; // what was noted but did not stop it
};

// Installs a package file. Throws Refused, naming the problem and the file;
// then nothing of the package is left in the installation.
Outcome Install(const std::string& packageFile, const InstallOptions& options = {});

// What a package holds, for showing before it is installed.
struct Summary {
    Manifest manifest;
    uint64_t size = 0;       // the package file's bytes
    std::string preview;     // the preview picture's bytes, "" when it has none
    std::vector<Problem> problems;
    bool upgrade = false;    // an older version of it is installed
    std::string installed;   // the installed version, when it is
};
// force: as an install with force would take it (a version not newer replaces).
Summary Inspect(const std::string& packageFile, bool force = false);

// The uninstaller written into every item's folder (setup.exe).
extern const char kUninstaller[];

} // namespace package
