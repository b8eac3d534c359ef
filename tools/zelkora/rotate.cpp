// zelkora rotate: the playlist from the command line.
#include "commands.h"
#include "installation.h"

#include "desktop/playlist.h"

#include <algorithm>
#include <ctime>
#include <ostream>

namespace cli {

const char kRotateUsage[] = R"(Usage: zelkora rotate --every DURATION [--shuffle] NAME...
       zelkora rotate --at HH:MM=NAME...
       zelkora rotate [off]
A playlist: the modules take turns on the desktop, every DURATION (such as 30s,
10m or 2h; --shuffle in a random order) or each from its time of day on. The
first is applied at once; the desktop then advances it while it is seen. It is
kept in the prefix and outlives restarts; a module uninstalled is skipped.
Without arguments, prints the playlist and what comes next; off stops it.
)";

namespace {

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

} // namespace

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
    // The first step at once, as the desktop takes the rest.
    if (!playlist::Advance(std::time(nullptr), p) && !playlist::Save(p))
        throw Refusal{"cannot write " + playlist::FilePath()};
    return ShowPlaylist(out);
}

} // namespace cli
