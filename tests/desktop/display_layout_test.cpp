// The displays' files: what is written is read back, and a line that cannot
// be read (by hand, or cut short) is passed over, never taken half.
#include "desktop/display_layout.h"

#include <gtest/gtest.h>

namespace {

using namespace display_layout;

TEST(DisplayLayout, ReadsBackWhatItWritesAndPassesOverWhatItCannotRead) {
    std::vector<Display> seen = {{"DP-1", 2560, 1440, 1.5, 0, 0}, {"HDMI-2", 1280, 800, 1, 1707, -20}};
    EXPECT_EQ(ParseSeen(FormatSeen(seen)), seen);
    Choices own = {{"DP-1", "C:\\App\\Modules\\Ocean\\Reef\\ZKRReef.htm"}, {"eDP-1", "C:\\a b\\ZKR.htm"}};
    EXPECT_EQ(ParseChoices(FormatChoices(own)), own);
    // A name or a page that would break its line is not written.
    EXPECT_EQ(ParseChoices(FormatChoices({{"DP\t1", "x.htm"}, {"DP-2", "a\nb.htm"}, {"", "c.htm"}})),
              Choices{});
    const char* unreadable[] = {
        "DP-1\t2560\t1440\t1.5\t0",        // a field short
        "DP-1\t2560\t1440\t1.5\t0\t0\t9",  // one too many
        "DP-1\t0\t1440\t1\t0\t0",          // no width
        "DP-1\t2560\tx\t1\t0\t0",          // not a number
        "DP-1\t2560\t1440\t-1\t0\t0",      // no scale
        "DP-1\t2560px\t1440\t1\t0\t0",     // a number and more
        "\t2560\t1440\t1\t0\t0",           // no name
    };
    for (const char* line : unreadable)
        EXPECT_TRUE(ParseSeen(std::string(line) + "\nHDMI-2\t1280\t800\t1\t1707\t-20\r\n").size() == 1)
            << line;
    EXPECT_EQ(ParseChoices("# a comment\nDP-1\nDP-2\tx.htm\textra\nDP-3\ty.htm\n"),
              (Choices{{"DP-3", "y.htm"}}));
}

} // namespace
