#include "installation.h"

#include "catalogue/zkr_basData.h"
#include "catalogue/zkr_basModules.h"
#include "catalogue/zkr_basToyz.h"
#include "desktop/kel_basActiveDesktop.h"
#include "platform/prefix.h"
#include "platform/win32.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "startup/AppState.h"
#include "startup/zkr_Main.h"
#include "startup/zkr_basRegistry.h"

namespace cli {

void LoadInstallation() {
    SetMsgBoxHandler([](const std::string& text, int, const std::string&) -> int {
        throw Refusal{text};
    });
    SetEndHandler([] { throw Refusal{""}; });
    CoInitialize(nullptr);
    AppState = AppStateData{};
    try {
        kel_SetEnvironment();
        zkr_LoadRegistryEntries();
    } catch (const Refusal&) {
        throw Refusal{"Zelkora is not installed in " + platform::PrefixDir() +
                      " (zelkora without a command sets it up)"};
    }
    zkr_LoadModuleData(DataFilePath());
    zkr_LoadToyzData(DataFilePath());
}

std::vector<Module> Modules() {
    std::vector<Module> all;
    // The module on the desktop is found as the Manager finds it: by the
    // file name of the Active Desktop wallpaper.
    int onDesktop = kel_IsActiveDesktopOn() ? zkr_ModuleItemOfPage(kel_GetWallPaper()) : 0;
    for (int i = 1; i <= AppState.ModuleItemCount; ++i) {
        const ModuleRecord& m = AppState.ModuleItems[static_cast<size_t>(i)];
        if (m.TreeType == 200) all.push_back({zkr_ThemeTextOf(m), m.TreeText, m.URL, i == onDesktop});
    }
    return all;
}

std::vector<Toy> Toyz() {
    std::vector<Toy> all;
    for (int i = 1; i <= AppState.ToyCount; ++i) {
        const ToyRecord& t = AppState.AllToyz[static_cast<size_t>(i)];
        all.push_back({t.ToyText, t.ToyIsActive});
    }
    return all;
}

Module Named(const std::vector<Module>& all, const std::string& name) {
    std::vector<Module> matches;
    for (const auto& m : all)
        if (m.name == name || m.theme + "/" + m.name == name) matches.push_back(m);
    if (matches.empty()) throw Refusal{"there is no module \"" + name + "\" (see zelkora list)"};
    if (matches.size() > 1) {
        std::string which;
        for (const auto& m : matches)
            which += (which.empty() ? "" : ", ") + m.theme + "/" + m.name;
        throw Refusal{"\"" + name + "\" names more than one module: " + which};
    }
    return matches[0];
}

void ApplyModule(const Module& m) {
    if (!kel_ApplyWallPaperSwitchingOn(m.url)) throw Refusal{"the desktop refused " + m.url};
}

} // namespace cli
