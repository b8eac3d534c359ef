// What every program of the system answers on its command line: --help and
// --version print and end; an option it does not know ends it with a
// one-line message and status 2. What Qt and the browser report of their own
// insides (contexts, GL details) is a developer's, and stays off standard
// error unless --verbose is given or QT_LOGGING_RULES chooses otherwise.
#pragma once

#include <string>
#include <vector>

namespace runtime {

struct ProgramInfo {
    const char* name;  // e.g. "zelkora-desktop"
    const char* usage; // the --help text, ending with a newline
    // Options the program takes itself (so they are not refused); a program
    // that takes no other argument leaves it empty.
    std::vector<std::string> options;
    // Whether words that are not options (files, commands) are the program's.
    bool takesWords = false;
};

// -1 when the program goes on; otherwise the exit status to end with.
int StandardOptions(int argc, char** argv, const ProgramInfo& info);
// Whether the command line asked for --verbose.
bool Verbose();

// "0.1.1": major, minor and revision.
std::string VersionText();

} // namespace runtime
