// <prefix>/shell.ini: the emulated shell's state (Active Desktop, desktop
// items, Windows version, online switch, and injected member failures).
#pragma once

#include <map>
#include <string_view>
#include <string>
#include <vector>

namespace platform {

// The native path of shell.ini, written with its defaults when it is absent.
std::string ShellIniPath();

// The defaults a new prefix starts with.
std::string DefaultShellIni();

struct ShellState {
    bool activeDesktop = true;
    bool enableComponents = true;
    std::string wallpaper;          // stored as given
    std::vector<std::string> items; // friendly names of the desktop items
    // Members that [Faults] tells to fail (names upper-cased), with the HRESULT
    // they return (for tests and demonstrations); read with the state, never
    // written back.
    std::map<std::string, long> faults;
};

// Reads the Active Desktop part of shell.ini. False, with the reason, when the
// file cannot be read (readError then holds the errno value) or a value is
// malformed (readError 0).
bool LoadShellState(ShellState& state, std::string& error, int* readError = nullptr);

// Writes it back atomically, keeping every other section and line. Returns 0
// or an errno value.
int SaveShellState(const ShellState& state);

// The two halves of the above on the file's bytes: the state they hold, and
// the bytes with the state written into them.
bool ParseShellState(std::string_view bytes, ShellState& state, std::string& error);
std::string UpdateShellIni(std::string_view bytes, const ShellState& state);

} // namespace platform
