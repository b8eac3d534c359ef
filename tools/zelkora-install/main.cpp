// zelkora-install: the installer of every Zelkora package, and the tool that
// checks and packs them and makes modules from a picture, a video, a page or
// an address. With a display and without --yes it asks first, in a dialog.
#include "install_dialog.h"
#include "import/wallpaper.h"
#include "package/archive.h"
#include "package/check.h"
#include "package/install.h"
#include "package/quick_module.h"
#include "package/temporary_folder.h"
#include "render/preview_render.h"
#include "runtime/command_line.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* kUsage = R"(usage: zelkora-install [--yes] [--force] FILE.zelkora
       zelkora-install [--yes] WALLPAPER-FOLDER | WALLPAPER.zip
       zelkora-install [--yes] [--theme NAME] [--name NAME] --picture FILE [--placement P]
       zelkora-install [--yes] [--theme NAME] [--name NAME] --video FILE | --page FILE | --address URL
       zelkora-install --check FOLDER-OR-FILE
       zelkora-install --pack FOLDER OUTPUT.zelkora

Installs a module or toy package into the Zelkora installation of
$ZELKORA_PREFIX (or ~/.zelkora). With a display it shows what the package
holds and asks first; --yes installs without asking (and without a display
it never asks). A package already installed is upgraded when it is newer;
--force installs it even when it is not.

A Lively Wallpaper (LivelyInfo.json) or Wallpaper Engine (project.json)
wallpaper, a folder or a .zip of one, is made a module with its settings, in
the theme "Lively wallpapers" or "Wallpaper Engine wallpapers"; imported
again, it replaces itself and keeps the settings the user gave.

--picture, --video, --page and --address make a module of the file or the
address, in the theme NAME (default "My Desktop"), and install it. A picture
is placed by --placement: tile, centre, stretch or fill (default).

--check lists every problem of an item's folder or package.
--pack checks a folder and writes it as a package.

--verbose also prints what Qt and the browser report of themselves.

Exit status: 0 done, 1 refused or failed, 2 the command line is wrong.
)";

struct Command {
    bool yes = false, force = false;
    std::string check, packFolder, packOutput, file;
    bool quick = false;
    package::QuickSource source;
};

bool HasDisplay() {
    auto set = [](const char* name) { return std::getenv(name) && *std::getenv(name); };
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

int Usage(const std::string& message) {
    std::cerr << "zelkora-install: " << message << " (see --help)\n";
    return 2;
}

int Check(const std::string& path) {
    if (!fs::exists(path)) {
        std::cerr << "zelkora-install: " << path << ": there is no such file or folder\n";
        return 1;
    }
    package::Manifest m;
    std::vector<package::Problem> problems =
        wallpaper::IsWallpaper(path) ? wallpaper::Check(path, &m) : package::CheckPath(path, {}, &m);
    std::cout << package::ProblemText(problems);
    for (const std::string& hears : package::WhatItHears(m))
        std::cout << path << ": it " << hears << "\n";
    if (package::HasErrors(problems)) return 1;
    std::cout << path << ": no problems" << (problems.empty() ? "" : " but the warnings above")
              << "\n";
    return 0;
}

int Pack(const std::string& folder, const std::string& output) {
    if (!fs::is_directory(folder)) {
        std::cerr << "zelkora-install: " << folder << ": there is no such folder\n";
        return 1;
    }
    std::vector<package::Problem> problems = package::CheckPath(folder);
    std::cerr << package::ProblemText(problems);
    if (package::HasErrors(problems)) {
        std::cerr << "zelkora-install: " << folder << " was not packed\n";
        return 1;
    }
    package::Pack(folder, output);
    std::cout << output << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int standard = runtime::StandardOptions(
        argc, argv,
        {"zelkora-install",
         kUsage,
         {"--yes", "--force", "--check", "--pack", "--picture", "--video", "--page", "--address",
          "--placement", "--theme", "--name"},
         true});
    if (standard >= 0) return standard;
    Command c;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
            return args[++i];
        };
        try {
            package::QuickSource::Kind kind;
            if (a == "--verbose")
                continue;
            if (a == "--yes")
                c.yes = true;
            else if (a == "--force")
                c.force = true;
            else if (a == "--check")
                c.check = value();
            else if (a == "--pack") {
                c.packFolder = value();
                c.packOutput = value();
            } else if (a.rfind("--", 0) == 0 && package::QuickKindNamed(a.substr(2), kind)) {
                if (c.quick) throw std::invalid_argument("one source at a time");
                c.quick = true;
                c.source.kind = kind;
                c.source.source = value();
            } else if (a == "--placement")
                c.source.placement = value();
            else if (a == "--theme")
                c.source.theme = value();
            else if (a == "--name")
                c.source.name = value();
            else if (!c.file.empty())
                throw std::invalid_argument("one package at a time");
            else
                c.file = a;
        } catch (const std::invalid_argument& e) {
            return Usage(e.what());
        }
    }
    try {
        if (!c.check.empty()) return Check(c.check);
        if (!c.packFolder.empty()) return Pack(c.packFolder, c.packOutput);
        bool dialog = !c.yes && HasDisplay();
        if (c.file.empty() && !c.quick && !dialog) return Usage("no package given");

        render::Prepare(!dialog);
        QApplication app(argc, argv);
        installer::Request request{c.file, c.force, c.quick, c.source,
                                   !c.file.empty() && wallpaper::IsWallpaper(c.file)};
        if (dialog) return installer::RunDialog(request);
        return installer::RunQuietly(request);
    } catch (const package::Refused& refused) {
        std::cerr << "zelkora-install: " << refused.what() << "\n";
        return 1;
    }
}
