// zelkora sound: the user's switch for modules that hear the sound and see
// what plays, and what the desktop hears now.
#include "commands.h"
#include "installation.h"

#include "desktop/zkr_basOptions.h"
#include "platform/desktop_host.h"
#include "startup/AppState.h"

#include <ostream>

namespace cli {

const char kSoundUsage[] = R"(Usage: zelkora sound [on|off]
Whether modules that ask may hear the sound the computer plays and see what
the music player plays (on unless switched off, here or on the Manager's
Options tab). Off, nothing is recorded and no player is followed. Without an
argument, says whether it is on and which module hears the sound now.
)";

int Sound(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() > 1 || (args.size() == 1 && args[0] != "on" && args[0] != "off")) {
        err << "zelkora: sound takes on or off (see zelkora sound --help)\n";
        return kBadCommandLine;
    }
    LoadInstallation();
    if (args.size() == 1) zkr_SetSoundAllowed(AppState.INIFile, args[0] == "on");
    bool on = zkr_SoundAllowed(AppState.INIFile);
    out << "Sound for modules: " << (on ? "on" : "off") << ".\n";
    if (std::string hears = platform::DesktopSoundNote(); on && !hears.empty())
        out << "Now: " << hears << ".\n";
    else if (on)
        out << "Now: no module hears the sound.\n";
    return kDone;
}

} // namespace cli
