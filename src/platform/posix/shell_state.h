// <prefix>/shell.ini: the emulated shell's state (Active Desktop, desktop
// items, Windows version, online switch).
#pragma once

#include <string>

namespace platform {

// The native path of shell.ini, written with its defaults when it is absent.
std::string ShellIniPath();

// The defaults a new prefix starts with.
std::string DefaultShellIni();

} // namespace platform
