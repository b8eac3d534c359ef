#include "commands.h"

#include "catalogue/zkr_basData.h"
#include "catalogue/zkr_basModules.h"
#include "catalogue/zkr_basToyz.h"
#include "desktop/kel_basActiveDesktop.h"
#include "desktop/playlist.h"
#include "platform/prefix.h"
#include "platform/win32.h"
#include "runtime/app.h"
#include "runtime/failure.h"
#include "runtime/msgbox.h"
#include "startup/AppState.h"
#include "startup/kel_basFile.h"
#include "startup/zkr_Main.h"
#include "startup/zkr_basRegistry.h"

#include <algorithm>
#include <ctime>
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
       zelkora rotate --every DURATION [--shuffle] NAME...
                                a playlist: the modules in turn, every 30s, 10m, 2h...
       zelkora rotate --at HH:MM=NAME...
                                a playlist by time of day
       zelkora rotate [off]     the playlist and what comes next, or no playlist
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

const char kRotateUsage[] = R"(Usage: zelkora rotate --every DURATION [--shuffle] NAME...
       zelkora rotate --at HH:MM=NAME...
       zelkora rotate [off]
A playlist: the modules take turns on the desktop, every DURATION (such as 30s,
10m or 2h; --shuffle in a random order) or each from its time of day on. The
first is applied at once; the desktop then advances it while it is seen. It is
kept in the prefix and outlives restarts; a module uninstalled is skipped.
Without arguments, prints the playlist and what comes next; off stops it.
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

// The one module a name (or Theme/Module) names.
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

// The Manager's Apply: the Active Desktop switched on, then the page set and
// applied; the shell records it and the desktop shows it.
void ApplyModule(const Module& m) {
    if (!kel_IsActiveDesktopOn()) kel_SetActiveDesktopEnabled();
    if (!kel_ApplyWallPaper(m.url)) throw Refusal{"the desktop refused " + m.url};
}

int Apply(const std::string& name, std::ostream& out) {
    LoadInstallation();
    Module m = Named(Modules(), name);
    ApplyModule(m);
    out << m.theme << '/' << m.name << " is on the desktop.\n";
    return kDone;
}

std::string Clock(int64_t wall) {
    std::time_t t = static_cast<std::time_t>(wall);
    std::tm local{};
    localtime_r(&t, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%H:%M:%S", &local);
    return buf;
}

int ShowPlaylist(std::ostream& out) {
    playlist::Playlist p = playlist::Load();
    if (!p.on) return out << "The playlist is off.\n", kDone;
    int64_t now = std::time(nullptr);
    auto [minute, dayStart] = playlist::LocalDay(now);
    if (p.everySeconds > 0) {
        out << "Every " << playlist::FormatDuration(p.everySeconds)
            << (p.shuffle ? ", shuffled" : "") << ":\n";
        for (size_t i = 0; i < p.modules.size(); ++i)
            out << (static_cast<int>(i) == p.current ? "* " : "  ") << p.modules[i] << '\n';
    } else {
        out << "By time of day:\n";
        for (const auto& [at, m] : p.at)
            out << "  " << playlist::FormatTimeOfDay(at) << ' ' << m << '\n';
    }
    out << "Next change: " << Clock(playlist::NextTime(p, now, minute, dayStart)) << '\n';
    return kDone;
}

int Rotate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return ShowPlaylist(out);
    auto bad = [&](const std::string& why) {
        err << "zelkora: " << why << " (see zelkora rotate --help)\n";
        return kBadCommandLine;
    };
    playlist::Playlist p;
    if (args.size() == 1 && args[0] == "off") {
        p = playlist::Load();
        p.on = false;
        if (!playlist::Save(p)) throw Refusal{"cannot write " + playlist::FilePath()};
        out << "The playlist is off.\n";
        return kDone;
    }
    std::vector<std::string> names;
    std::vector<std::pair<int, std::string>> at;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--every") {
            if (i + 1 >= args.size()) return bad("--every needs a duration");
            auto d = playlist::ParseDuration(args[++i]);
            if (!d) return bad("\"" + args[i] + "\" is no duration (such as 30s, 10m or 2h)");
            p.everySeconds = *d;
        } else if (a == "--shuffle") {
            p.shuffle = true;
        } else if (a == "--at") {
            if (i + 1 >= args.size()) return bad("--at needs HH:MM=NAME");
            const std::string& spec = args[++i];
            auto time = playlist::ParseTimeOfDay(spec.substr(0, 5));
            if (spec.size() < 7 || spec[5] != '=' || !time)
                return bad("\"" + spec + "\" is not HH:MM=NAME");
            at.emplace_back(*time, spec.substr(6));
        } else if (!a.empty() && a[0] == '-') {
            return bad("unknown option '" + a + "'");
        } else {
            names.push_back(a);
        }
    }
    if ((p.everySeconds > 0) == !at.empty()) return bad("give either --every or --at");
    if (p.everySeconds > 0 && names.empty()) return bad("--every needs the modules' names");
    if (!at.empty() && (!names.empty() || p.shuffle))
        return bad("--at takes only HH:MM=NAME entries");
    LoadInstallation();
    std::vector<Module> all = Modules();
    for (const auto& n : names) {
        Module m = Named(all, n);
        p.modules.push_back(m.theme + "/" + m.name);
    }
    for (auto& [time, n] : at) {
        Module m = Named(all, n);
        p.at.emplace_back(time, m.theme + "/" + m.name);
    }
    std::sort(p.at.begin(), p.at.end());
    p.on = true;
    // The first step at once, through the Apply path; the desktop takes the rest.
    int64_t now = std::time(nullptr);
    auto [minute, dayStart] = playlist::LocalDay(now);
    auto step = playlist::Due(p, now, minute, dayStart, [](const std::string&) { return true; },
                              [now](int n) { return static_cast<int>(now % n); });
    if (step) {
        ApplyModule(Named(all, step->module));
        p.current = step->index;
        p.last = now;
    }
    if (!playlist::Save(p)) throw Refusal{"cannot write " + playlist::FilePath()};
    return ShowPlaylist(out);
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
        if (command == "rotate") {
            if (help) return out << kRotateUsage, kDone;
            return Rotate(rest, out, err);
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
