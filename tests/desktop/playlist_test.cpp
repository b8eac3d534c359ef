// The playlist's timing, with the clock given: which module is due when, and
// how its file and the command line's words are read.
#include "desktop/playlist.h"

#include <gtest/gtest.h>
#include <set>

namespace {

using playlist::Playlist;

TEST(Playlist, WhatIsDueAndWhen) {
    Playlist every;
    every.on = true;
    every.everySeconds = 60;
    every.modules = {"T/A", "T/B", "T/C"};
    Playlist byDay;
    byDay.on = true;
    byDay.at = {{7 * 60, "T/A"}, {19 * 60 + 30, "T/B"}};
    const int64_t day = 86400 * 100; // a midnight
    struct Case {
        const char* what;
        Playlist p;
        int current;
        int64_t last, now;
        const char* missing; // a module not installed
        bool shuffle;
        const char* due;     // "" for none
    } cases[] = {
        {"started: the first at once", every, -1, 0, day, "", false, "T/A"},
        {"not yet", every, 0, day, day + 59, "", false, ""},
        {"the next", every, 0, day, day + 60, "", false, "T/B"},
        {"round again", every, 2, day, day + 60, "", false, "T/A"},
        {"one uninstalled is skipped", every, 0, day, day + 60, "T/B", false, "T/C"},
        {"a long rest catches up once", every, 1, day, day + 86400, "", false, "T/C"},
        {"shuffled: never the same twice", every, 1, day, day + 60, "", true, "T/A"},
        {"by day: the morning's", byDay, -1, 0, day + 8 * 3600, "", false, "T/A"},
        {"by day: shown already", byDay, 0, day + 7 * 3600, day + 8 * 3600, "", false, ""},
        {"by day: before the first, yesterday's last", byDay, -1, 0, day + 6 * 3600, "", false, "T/B"},
        {"by day: the evening's", byDay, 0, day + 7 * 3600, day + 20 * 3600, "", false, "T/B"},
    };
    for (auto c : cases) {
        c.p.current = c.current;
        c.p.last = c.last;
        c.p.shuffle = c.shuffle;
        int64_t dayStart = c.now - (c.now - day) % 86400;
        int minute = static_cast<int>((c.now - dayStart) / 60);
        auto step = playlist::Due(
            c.p, c.now, minute, dayStart, [&](const std::string& m) { return m != c.missing; },
            [](int) { return 0; });
        EXPECT_EQ(step ? step->module : "", c.due) << c.what;
    }
    every.on = false;
    EXPECT_FALSE(playlist::Due(every, day, 0, day, [](auto&) { return true; }, [](int) { return 0; }));
    every.on = true;
    every.current = 0;
    every.last = day;
    EXPECT_EQ(playlist::NextTime(every, day + 10, 0, day), day + 60);
    EXPECT_EQ(playlist::NextTime(byDay, day + 8 * 3600, 8 * 60, day), day + 19 * 3600 + 1800);
    EXPECT_EQ(playlist::NextTime(byDay, day + 20 * 3600, 20 * 60, day), day + 86400 + 7 * 3600);
}

TEST(Playlist, TheFileAndTheWordsAreReadOrRefused) {
    Playlist p;
    p.on = true;
    p.everySeconds = 600;
    p.shuffle = true;
    p.modules = {"Ocean Dreams/Rolling Waves", "Deep Space/Starfield"};
    p.at = {{420, "Four Seasons/Autumn Leaves"}};
    p.current = 1;
    p.last = 1796693726;
    Playlist back;
    std::string why;
    ASSERT_TRUE(playlist::ParseText(playlist::FormatText(p), back, why)) << why;
    EXPECT_EQ(playlist::FormatText(back), playlist::FormatText(p));
    EXPECT_FALSE(playlist::ParseText("on=1\nevery=ten\n", back, why));
    EXPECT_FALSE(playlist::ParseText("whatever\n", back, why));
    for (auto [text, seconds] : std::vector<std::pair<const char*, int64_t>>{
             {"30s", 30}, {"10m", 600}, {"2h", 7200}, {"45", 45}, {"0s", -1}, {"", -1},
             {"ten", -1}, {"10d", -1}, {"-5m", -1}})
        EXPECT_EQ(playlist::ParseDuration(text).value_or(-1), seconds) << text;
    for (auto [text, minute] : std::vector<std::pair<const char*, int>>{
             {"07:00", 420}, {"23:59", 1439}, {"00:00", 0}, {"24:00", -1}, {"7:00", -1},
             {"07:60", -1}, {"07-00", -1}})
        EXPECT_EQ(playlist::ParseTimeOfDay(text).value_or(-1), minute) << text;
}

} // namespace
