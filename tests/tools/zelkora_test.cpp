// zelkora on the command line: what each command prints, what it refuses
// (with its exit status), and that a refused command leaves the desktop alone.
#include "desktop/display_layout.h"
#include "platform/desktop_host.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

TEST(CommandLine, ListsAppliesAndRefusesByTheTable) {
    TempPrefix prefix;
    std::string out;
    ASSERT_EQ(RunCommand("ZELKORA_PREFIX=" + ShellQuote(prefix.dir() + "-none") + " " + ToolsDir() +
                             "/../zelkora list",
                         &out),
              1);
    EXPECT_NE(out.find("Zelkora is not installed in"), std::string::npos) << out;
    ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-demo", &out), 0) << out;
    // A second Starfield, in another theme: the name alone is ambiguous.
    ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-catalogue add-module " +
                         ShellQuote(prefix.path("drive_c/Program Files/Zelkora/Data/Zelkora.mdb")) +
                         " Starfield2 Ocean Starfield --url 'C:\\x\\ZKRStarfield2.htm'"),
              0);
    struct Case {
        const char* args;
        int status;
        const char* says; // in what it prints, standard error included
    } cases[] = {
        {"--help", 0, "Usage: zelkora"},
        {"list", 0, "* Ocean Dreams/Rolling Waves\n  Ocean Dreams/Coral Reef\n"},
        {"list", 0, "Toyz:\n* Clock\n* Sticky Notes\n  Weather\n"},
        {"list --json", 0, "\"name\": \"Rolling Waves\",\n      \"onDesktop\": true"},
        {"list --help", 0, "Usage: zelkora list [--json]"},
        {"list --all", 2, "list takes only --json"},
        {"apply", 2, "apply takes one module's name"},
        {"apply Nowhere", 1, "zelkora: there is no module \"Nowhere\""},
        {"apply Starfield", 1, "names more than one module: Deep Space/Starfield, Ocean Dreams/Starfield"},
        {"bogus", 2, "unknown command 'bogus'"},
        {"rotate", 0, "The playlist is off."},
        {"rotate --every 0s Starfield", 2, "\"0s\" is no duration"},
        {"rotate --every 2s", 2, "--every needs the modules' names"},
        {"rotate --every 2s --at 07:00='Deep Blue'", 2, "give either --every or --at"},
        {"rotate --at 7:00=Deep", 2, "\"7:00=Deep\" is not HH:MM=NAME"},
        {"rotate --every 5m 'Deep Blue' Nowhere", 1, "there is no module \"Nowhere\""},
        {"get 'Rolling Waves'", 0, "colour=#16638f\nspeed=1\nsun=true\n"},
        {"get", 2, "get takes one module's name"},
        {"set 'Rolling Waves'", 2, "set takes a module's name and PROP=VALUE"},
        {"set 'Rolling Waves' speed", 2, "'speed' is not PROP=VALUE"},
        {"set 'Rolling Waves' speed=5", 1, "Rolling Waves: speed=5 is refused: it is from 0.25 to 4"},
        {"set 'Rolling Waves' speed=2 sun=maybe", 1, "sun=maybe is refused: it is true or false"},
        {"set 'Rolling Waves' speed=2 tide=high", 1, "it has no property \"tide\""},
        {"set 'Winter Frost' flakes=Huge", 1, "it is one of Fine, Medium, Large"},
        {"set 'Blue Orbit' speed=2", 1, "Deep Space/Blue Orbit has no properties"},
        {"displays", 1, "zelkora: the desktop is not running, so its displays are not known"},
        {"displays --all", 2, "displays takes only --json"},
        {"apply 'Deep Blue' --display", 2, "apply takes one module's name, and --display DISPLAY or --span"},
        {"apply 'Deep Blue' --span --display DP-1", 2, "apply takes one module's name, and --display"},
        {"apply 'Deep Blue' --display DP-9", 1, "there is no display \"DP-9\" (see zelkora displays)"},
    };
    std::string shell = ReadFile(prefix.path("shell.ini"));
    for (const auto& c : cases) {
        EXPECT_EQ(RunCommand(ToolsDir() + "/../zelkora " + c.args, &out), c.status) << c.args;
        EXPECT_NE(out.find(c.says), std::string::npos) << c.args << ":\n" << out;
    }
    EXPECT_EQ(ReadFile(prefix.path("shell.ini")), shell); // nothing refused changed the desktop
    // Nor a value: a command with one refused stores none.
    ASSERT_EQ(RunCommand(ToolsDir() + "/../zelkora get 'Rolling Waves'", &out), 0);
    EXPECT_EQ(out, "colour=#16638f\nspeed=1\nsun=true\n");
    ASSERT_EQ(RunCommand(ToolsDir() + "/../zelkora set 'Rolling Waves' speed=2.5 colour=#2A9D8F", &out), 0);
    EXPECT_EQ(out, "Ocean Dreams/Rolling Waves: speed=2.5 colour=#2a9d8f\n");
    ASSERT_EQ(RunCommand(ToolsDir() + "/../zelkora get 'Rolling Waves'", &out), 0);
    EXPECT_EQ(out, "colour=#2a9d8f\nspeed=2.5\nsun=true\n");
    // Applied by Theme/Module, with the Active Desktop off: on, and the module on it.
    ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-shell active-desktop off"), 0);
    ASSERT_EQ(RunCommand(ToolsDir() + "/../zelkora apply 'Deep Space/Starfield'", &out), 0) << out;
    EXPECT_EQ(out, "Deep Space/Starfield is on the desktop.\n");
    ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-shell show", &out), 0);
    EXPECT_NE(out.find("active desktop: on"), std::string::npos) << out;
    EXPECT_NE(out.find("Modules\\Space\\Starfield\\ZKRStarfield.htm"), std::string::npos) << out;
    ASSERT_EQ(RunCommand(ToolsDir() + "/../zelkora list", &out), 0);
    EXPECT_NE(out.find("* Deep Space/Starfield\n"), std::string::npos) << out;

    // Displays, as a running desktop keeps them: one given a module of its
    // own, and every display the same again when a module is applied to all.
    ASSERT_GE(platform::TakeDesktopHostLock(), 0);
    display_layout::SaveSeen({{"DP-1", 1920, 1080, 1, 0, 0}, {"HDMI-2", 1280, 800, 1.5, 1920, 0}});
    // Each step's command, and what it prints: all of it, or a part.
    struct Step {
        const char* args;
        const char* prints = "";
        const char* among = "";
    } steps[] = {
        {"apply 'Deep Blue' --display HDMI-2", "Ocean Dreams/Deep Blue is on HDMI-2.\n"},
        {"displays", "DP-1  1920x1080  scale 1  Deep Space/Starfield\n"
                     "HDMI-2  1280x800  scale 1.5  Ocean Dreams/Deep Blue (its own)\n"},
        {"displays --json", "", "\"name\": \"HDMI-2\",\n      \"own\": true,\n      \"scale\": 1.5,\n"
                                "      \"shows\": \"Ocean Dreams/Deep Blue\""},
        {"apply 'Deep Space/Starfield'"},
        {"displays", "DP-1  1920x1080  scale 1  Deep Space/Starfield\n"
                     "HDMI-2  1280x800  scale 1.5  Deep Space/Starfield\n"},
        // One page across them all, until a display is given its own.
        {"apply 'Deep Blue' --span", "Ocean Dreams/Deep Blue is on all displays as one.\n"},
        {"displays", "DP-1  1920x1080  scale 1  Ocean Dreams/Deep Blue (all displays as one)\n"
                     "HDMI-2  1280x800  scale 1.5  Ocean Dreams/Deep Blue (all displays as one)\n"},
        {"apply 'Coral Reef' --display DP-1"},
        {"displays", "DP-1  1920x1080  scale 1  Ocean Dreams/Coral Reef (its own)\n"
                     "HDMI-2  1280x800  scale 1.5  Ocean Dreams/Deep Blue\n"},
    };
    for (const Step& step : steps) {
        ASSERT_EQ(RunCommand(ToolsDir() + "/../zelkora " + step.args, &out), 0) << step.args << ":\n" << out;
        if (*step.prints) {
            EXPECT_EQ(out, step.prints) << step.args;
        }
        EXPECT_NE(out.find(step.among), std::string::npos) << step.args << ":\n" << out;
    }
}

} // namespace
