// The process launcher's reading of a Windows command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct ResolvedCommand {
    std::string program;           // native path of the program found
    std::vector<std::string> args; // the arguments after the program name
};

// Finds the program as CreateProcess finds it: the quoted name, or the
// shortest space-separated prefix that names an existing file (".exe" tried
// when the name has none). No value when no prefix names a file.
std::optional<ResolvedCommand> ResolveCommandLine(std::string_view commandLine);

// What Shell needs before it starts anything: the program found, executable
// and a program (a binary, or a script whose interpreter can be run). Raises
// what Shell would raise otherwise: 53 when nothing is found, 75 when the
// file may not be run, 5 when it is no program.
ResolvedCommand ResolveStartable(std::string_view commandLine);

// Splits arguments as CommandLineToArgvW splits them.
std::vector<std::string> SplitArguments(std::string_view args);

} // namespace platform
