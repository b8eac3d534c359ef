// The playlist: modules that take turns on the desktop, every so often or by
// time of day. It is kept in the prefix (<prefix>/playlist.txt) and advanced
// by the desktop host while the desktop is seen, each step applied through the
// Active Desktop as the Manager's Apply is.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace playlist {

struct Playlist {
    bool on = false;
    int64_t everySeconds = 0; // 0: by time of day
    bool shuffle = false;
    std::vector<std::string> modules;             // "Theme/Module", in turn
    std::vector<std::pair<int, std::string>> at;  // minute of the day, module
    int current = -1;                             // the module last applied, in modules
    int64_t last = 0;                             // wall seconds of the last step
};

// The file's text, and back; ParseText is false (with why) for a malformed one.
std::string FormatText(const Playlist& p);
bool ParseText(const std::string& text, Playlist& p, std::string& why);

// "30s", "10m", "2h" (or a number of seconds); nullopt when malformed or 0.
std::optional<int64_t> ParseDuration(const std::string& text);
// "HH:MM" as a minute of the day; nullopt when malformed.
std::optional<int> ParseTimeOfDay(const std::string& text);
std::string FormatDuration(int64_t seconds);
std::string FormatTimeOfDay(int minute);

// A step of the playlist: the module to apply, and its place in modules.
struct Step {
    std::string module;
    int index = -1;
};
// The step due at now (wall seconds; minuteOfDay is now's local minute of the
// day and dayStart the wall seconds of today's local midnight), or none. A
// module that is not installed is skipped; however late, one step catches
// up. pick(n) chooses a shuffled index below n.
std::optional<Step> Due(const Playlist& p, int64_t now, int minuteOfDay, int64_t dayStart,
                        const std::function<bool(const std::string&)>& installed,
                        const std::function<int(int)>& pick);
// When the next step falls due, in wall seconds (for the playlist's listing).
int64_t NextTime(const Playlist& p, int64_t now, int minuteOfDay, int64_t dayStart);

// The prefix's playlist (an empty one when there is none).
std::string FilePath();
Playlist Load();
// Written atomically; false when it cannot be.
bool Save(const Playlist& p);

// The local time of day now: {minute of the day, wall seconds of midnight}.
std::pair<int, int64_t> LocalDay(int64_t now);

// The Active Desktop address of an installed module named "Theme/Module",
// "" when there is none.
std::string ModuleAddress(const std::string& themeSlashModule);

// Advances the prefix's playlist when a step is due: applies the module
// through the Active Desktop, records it, and returns it (none when no step
// was due or the playlist could not be written).
std::optional<Step> Advance(int64_t now);
// The same for a playlist about to be kept (a new one takes its first step).
std::optional<Step> Advance(int64_t now, Playlist p);

} // namespace playlist
