#include "commands.h"

#include "installation.h"
#include "runtime/failure.h"

#include <nlohmann/json.hpp>
#include <ostream>

namespace cli {

namespace {

const char kUsage[] = R"(Usage: zelkora                  set up Zelkora when there is no installation, then
                                start Zelkora Manager
       zelkora list [--json]    the modules, as Theme/Module, the one on the desktop
                                marked "* "; then the toyz, the bound ones marked
       zelkora apply NAME [--display DISPLAY | --span]
                                make a module the Active Desktop wallpaper of every
                                display, of one, or of all as one page (NAME is the
                                module's name, or Theme/Module)
       zelkora displays [--json]
                                the displays, and the module each shows
       zelkora rotate --every DURATION [--shuffle] NAME...
                                a playlist: the modules in turn, every 30s, 10m, 2h...
       zelkora rotate --at HH:MM=NAME...
                                a playlist by time of day
       zelkora rotate [off]     the playlist and what comes next, or no playlist
       zelkora set NAME PROP=VALUE...
                                give a module's properties new values
       zelkora get NAME         a module's properties, as PROP=VALUE
       zelkora sound [on|off]   let modules hear the sound and see what plays, or not
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

const char kApplyUsage[] = R"(Usage: zelkora apply NAME [--display DISPLAY | --span]
Makes the module NAME the Active Desktop wallpaper (switching the Active Desktop
on), as the Manager's Apply does, on every display: displays given a module of
their own show it again. NAME is a module's name, or Theme/Module where the name
alone is not enough. An unknown or ambiguous name is refused and the desktop is
left as it is.
With --display, the module goes on that display only (a name zelkora displays
lists), and the others keep theirs. The display keeps it by its name: unplugged
and plugged in again, it shows it again.
With --span, the module is one page across all displays: laid out over the
rectangle that bounds them, each display showing its own part of it.
)";

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

// Where apply puts the module: every display, one page across them all, or one display.
struct Where {
    bool acrossAll = false;
    std::string display;
};

int Apply(const std::string& name, const Where& where, std::ostream& out) {
    LoadInstallation();
    Module m = Named(Modules(), name);
    if (!where.display.empty()) {
        out << ApplyToDisplay(m, where.display) << '\n';
        return kDone;
    }
    LayDisplays(where.acrossAll);
    ApplyModule(m);
    out << m.theme << '/' << m.name << (where.acrossAll ? " is on all displays as one.\n" : " is on the desktop.\n");
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
            Where where;
            if (rest.size() == 3 && rest[1] == "--display") {
                where.display = rest[2];
                rest.resize(1);
                if (where.display.empty()) return bad("--display takes a display's name");
            } else if (rest.size() == 2 && rest[1] == "--span") {
                where.acrossAll = true;
                rest.resize(1);
            }
            if (rest.size() != 1 || rest[0].empty() || rest[0][0] == '-')
                return bad("apply takes one module's name, and --display DISPLAY or --span");
            return Apply(rest[0], where, out);
        }
        if (command == "displays") {
            if (help) return out << kDisplaysUsage, kDone;
            if (rest.size() > 1 || (rest.size() == 1 && rest[0] != "--json"))
                return bad("displays takes only --json");
            return Displays(!rest.empty(), out);
        }
        if (command == "rotate") {
            if (help) return out << kRotateUsage, kDone;
            return Rotate(rest, out, err);
        }
        if (command == "set") {
            if (help) return out << kSetUsage, kDone;
            return SetProperties(rest, out, err);
        }
        if (command == "sound") {
            if (help) return out << kSoundUsage, kDone;
            return Sound(rest, out, err);
        }
        if (command == "get") {
            if (help) return out << kGetUsage, kDone;
            return GetProperties(rest, out, err);
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
