// The installation of the prefix as the command line sees it: its modules
// and toyz loaded as the Manager loads them, a module found by its name, and
// a module applied through the Manager's Active Desktop path.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// Ends a command with one line that says what and why.
struct Refusal {
    std::string why;
};

struct Module {
    std::string theme, name, url;
    bool onDesktop = false;
};
struct Toy {
    std::string name;
    bool bound = false;
};

// Loads the catalogue; message boxes the loaders would show are refusals.
void LoadInstallation();
std::vector<Module> Modules();
std::vector<Toy> Toyz();
// The one module a name (or Theme/Module) names; refuses an unknown or an
// ambiguous name.
Module Named(const std::vector<Module>& all, const std::string& name);
// The Manager's Apply: the Active Desktop switched on, then the page set and
// applied; the shell records it and the desktop shows it.
void ApplyModule(const Module& m);

// The playlist command (zelkora rotate ...).
int Rotate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
extern const char kRotateUsage[];
// The properties commands (zelkora set ..., zelkora get ...).
int SetProperties(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int GetProperties(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
extern const char kSetUsage[], kGetUsage[];
// The displays (zelkora displays [--json]); a module on one display only,
// what it says done; every display showing the Active Desktop's module again.
int Displays(bool json, std::ostream& out);
std::string ApplyToDisplay(const Module& m, const std::string& display);
// Every display the same module again, or that module across them all as one page.
void LayDisplays(bool acrossAll);
extern const char kDisplaysUsage[];
// The sound switch (zelkora sound [on|off]).
int Sound(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
extern const char kSoundUsage[];

} // namespace cli
