#include "commands.h"

#include "catalogue/zkr_basData.h"
#include "catalogue/zkr_basModules.h"
#include "catalogue/zkr_basToyz.h"
#include "desktop/kel_basActiveDesktop.h"
#include "platform/prefix.h"
#include "platform/win32.h"
#include "runtime/app.h"
#include "runtime/failure.h"
#include "runtime/msgbox.h"
#include "startup/AppState.h"
#include "startup/kel_basFile.h"
#include "startup/zkr_Main.h"
#include "startup/zkr_basRegistry.h"

#include <nlohmann/json.hpp>
#include <ostream>

namespace cli {

namespace {

const char kUsage[] = R"(Usage: zelkora                  set up Zelkora when there is no installation, then
                                start Zelkora Manager
       zelkora list [--json]    the modules, as Theme/Module, the one on the desktop
                                marked "* "; then the toyz, the bound ones marked
       zelkora apply NAME       make a module the Active Desktop wallpaper (NAME is
                                the module's name, or Theme/Module)
       zelkora COMMAND --help   what a command does

The installation is the one of $ZELKORA_PREFIX (default ~/.zelkora).
Exit status: 0 done, 1 refused (one line says why), 2 the command line is wrong.
)";

const char kListUsage[] = R"(Usage: zelkora list [--json]
Prints every module, one a line, as Theme/Module, the one on the desktop marked
"* " at the line's start and the others with two spaces; then "Toyz:" and the
toyz, the ones bound into the modules marked the same way. --json prints the
same as one JSON document.
)";

const char kApplyUsage[] = R"(Usage: zelkora apply NAME
Makes the module NAME the Active Desktop wallpaper (switching the Active Desktop
on), as the Manager's Apply does. NAME is a module's name, or Theme/Module where
the name alone is not enough. An unknown or ambiguous name is refused and the
desktop is left as it is.
)";

// Refusals end the command with one line.
struct Refusal {
    std::string why;
};

struct Module {
    std::string theme, name, url;
    bool onDesktop = false;
};
struct Toy {
    std::string name;
    bool bound = false;
};

// The installation's catalogue, as the Manager loads it; message boxes the
// loaders would show are refusals here.
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
    std::string onDesktop;
    if (kel_IsActiveDesktopOn()) {
        std::string name = kel_StripExtensionFromFileName(kel_GetWallPaper());
        if (zkr_IsZKRModuleName(name)) onDesktop = platform::ToUpperAscii(name);
    }
    bool marked = false;
    for (int i = 1; i <= AppState.ModuleItemCount; ++i) {
        const ModuleRecord& m = AppState.ModuleItems[static_cast<size_t>(i)];
        if (m.TreeType != 200) continue;
        Module out{"", m.TreeText, m.URL};
        for (int t = 1; t <= AppState.ModuleItemCount; ++t)
            if (AppState.ModuleItems[static_cast<size_t>(t)].TreeType == 100 &&
                AppState.ModuleItems[static_cast<size_t>(t)].Key == m.ParentKey)
                out.theme = AppState.ModuleItems[static_cast<size_t>(t)].TreeText;
        if (!marked && !onDesktop.empty() &&
            platform::ToUpperAscii(kel_StripExtensionFromFileName(m.URL)) == onDesktop)
            out.onDesktop = marked = true;
        all.push_back(out);
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

int List(bool json, std::ostream& out) {
    LoadInstallation();
    std::vector<Module> modules = Modules();
    std::vector<Toy> toyz = Toyz();
    if (json) {
        nlohmann::json doc = {{"modules", nlohmann::json::array()}, {"toyz", nlohmann::json::array()}};
        for (const auto& m : modules)
            doc["modules"].push_back(
                {{"theme", m.theme}, {"name", m.name}, {"onDesktop", m.onDesktop}});
        for (const auto& t : toyz)
            doc["toyz"].push_back({{"name", t.name}, {"bound", t.bound}});
        out << doc.dump(2) << '\n';
        return kDone;
    }
    for (const auto& m : modules)
        out << (m.onDesktop ? "* " : "  ") << m.theme << '/' << m.name << '\n';
    out << "Toyz:\n";
    for (const auto& t : toyz)
        out << (t.bound ? "* " : "  ") << t.name << '\n';
    return kDone;
}

int Apply(const std::string& name, std::ostream& out) {
    LoadInstallation();
    std::vector<Module> matches;
    for (const auto& m : Modules())
        if (m.name == name || m.theme + "/" + m.name == name) matches.push_back(m);
    if (matches.empty()) throw Refusal{"there is no module \"" + name + "\" (see zelkora list)"};
    if (matches.size() > 1) {
        std::string which;
        for (const auto& m : matches)
            which += (which.empty() ? "" : ", ") + m.theme + "/" + m.name;
        throw Refusal{"\"" + name + "\" names more than one module: " + which};
    }
    // The Manager's Apply: the Active Desktop switched on, then the page set
    // and applied; the shell records it and the desktop shows it.
    if (!kel_IsActiveDesktopOn()) kel_SetActiveDesktopEnabled();
    if (!kel_ApplyWallPaper(matches[0].url))
        throw Refusal{"the desktop refused " + matches[0].url};
    out << matches[0].theme << '/' << matches[0].name << " is on the desktop.\n";
    return kDone;
}

} // namespace

int Run(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    auto bad = [&](const std::string& why) {
        err << "zelkora: " << why << " (see zelkora --help)\n";
        return kBadCommandLine;
    };
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        out << kUsage;
        return kDone;
    }
    const std::string& command = words[0];
    std::vector<std::string> rest(words.begin() + 1, words.end());
    bool help = !rest.empty() && (rest[0] == "--help" || rest[0] == "-h");
    try {
        if (command == "list") {
            if (help) return out << kListUsage, kDone;
            if (rest.size() > 1 || (rest.size() == 1 && rest[0] != "--json"))
                return bad("list takes only --json");
            return List(!rest.empty(), out);
        }
        if (command == "apply") {
            if (help) return out << kApplyUsage, kDone;
            if (rest.size() != 1 || rest[0].empty() || rest[0][0] == '-')
                return bad("apply takes one module's name");
            return Apply(rest[0], out);
        }
    } catch (const Refusal& r) {
        err << "zelkora: " << r.why << '\n';
        return kRefused;
    } catch (const Failure& f) {
        err << "zelkora: " << f.Description << '\n';
        return kRefused;
    }
    return bad("unknown command '" + command + "'");
}

} // namespace cli
