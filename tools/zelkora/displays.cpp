// zelkora displays, and zelkora apply NAME --display DISPLAY: the displays as
// the desktop sees them and what each shows, and a module for one display.
#include "commands.h"
#include "installation.h"

#include "desktop/display_layout.h"
#include "desktop/kel_basActiveDesktop.h"
#include "platform/desktop_host.h"

#include <nlohmann/json.hpp>
#include <ostream>

namespace cli {

const char kDisplaysUsage[] = R"usage(Usage: zelkora displays [--json]
Lists the displays as the desktop sees them, one a line: the display's name,
its size in pixels, its scale, and the module it shows, "(its own)" when the
display was given a module of its own (zelkora apply NAME --display DISPLAY),
"(all displays as one)" when one page spans them (zelkora apply NAME --span).
The first is the one that shows the toyz. --json prints the same as one JSON
document. The desktop (zelkora-desktop) keeps the list: without it running
the command says so.
)usage";

namespace {

// A page's module as Theme/Module, else the page itself.
std::string ModuleOf(const std::vector<Module>& modules, const std::string& url) {
    for (const Module& m : modules)
        if (m.url == url) return m.theme + "/" + m.name;
    return url;
}

} // namespace

int Displays(bool json, std::ostream& out) {
    if (!platform::DesktopHostRunning())
        throw Refusal{"the desktop is not running, so its displays are not known "
                      "(zelkora-desktop starts it)"};
    LoadInstallation();
    std::vector<Module> modules = Modules();
    bool on = kel_IsActiveDesktopOn();
    std::string all = on ? kel_GetWallPaper() : "";
    display_layout::Choices own = display_layout::LoadChoices();
    bool across = on && display_layout::Spans(own);
    nlohmann::json doc = {{"displays", nlohmann::json::array()}};
    for (const display_layout::Display& d : display_layout::LoadSeen()) {
        auto mine = on ? own.find(d.name) : own.end();
        bool isOwn = mine != own.end();
        std::string page = isOwn ? mine->second : all;
        std::string shows = !on ? "(the Active Desktop is off)"
                            : page.empty() ? "(no module)"
                                           : ModuleOf(modules, page);
        if (json) {
            doc["displays"].push_back({{"name", d.name}, {"width", d.width}, {"height", d.height},
                                       {"scale", d.scale}, {"x", d.x}, {"y", d.y},
                                       {"shows", on && !page.empty() ? shows : ""},
                                       {"own", isOwn}, {"acrossAll", across}});
            continue;
        }
        char scale[32];
        std::snprintf(scale, sizeof scale, "%g", d.scale);
        out << d.name << "  " << d.width << 'x' << d.height << "  scale " << scale << "  " << shows
            << (isOwn ? " (its own)" : across ? " (all displays as one)" : "") << '\n';
    }
    if (json) out << doc.dump(2) << '\n';
    return kDone;
}

std::string ApplyToDisplay(const Module& m, const std::string& display) {
    bool seen = false;
    for (const display_layout::Display& d : display_layout::LoadSeen())
        seen = seen || d.name == display;
    if (!seen)
        throw Refusal{"there is no display \"" + display + "\" (see zelkora displays)"};
    // With no module on every display yet, this one is that one as well.
    if (!kel_IsActiveDesktopOn() || kel_GetWallPaper().empty()) ApplyModule(m);
    if (!display_layout::ChooseForDisplay(display, m.url))
        throw Refusal{"cannot write " + display_layout::ChoicesPath()};
    return m.theme + "/" + m.name + " is on " + display + ".";
}

void LayDisplays(bool acrossAll) {
    if (!(acrossAll ? display_layout::SpanDisplays() : display_layout::ForgetChoices()))
        throw Refusal{"cannot write " + display_layout::ChoicesPath()};
}

} // namespace cli
