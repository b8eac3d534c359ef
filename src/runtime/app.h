// The application object: its title and version properties, the
// previous-instance test, the process launcher and the immediate end.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace App {

struct Properties {
    std::string Title;
    std::string ProductName;
    std::string CompanyName;
    std::string LegalCopyright;
    int Major = 0;
    int Minor = 0;
    int Revision = 0;
};

// The properties in force; the version comes from the build. Tests may change them.
Properties& Props();

inline const std::string& Title() {
    return Props().Title;
}
inline const std::string& ProductName() {
    return Props().ProductName;
}
inline const std::string& CompanyName() {
    return Props().CompanyName;
}
inline const std::string& LegalCopyright() {
    return Props().LegalCopyright;
}
inline int Major() {
    return Props().Major;
}
inline int Minor() {
    return Props().Minor;
}
inline int Revision() {
    return Props().Revision;
}

// True when another instance of the program runs on this machine (prefix).
// The first call takes the instance lock when no other instance holds it.
bool PrevInstance();

} // namespace App

// The runtime's own procedures, in a namespace of their own where Windows'
// headers already use the name (its Shell class).
namespace Interaction {
// Starts a command line with a window style and returns at once with the new
// process's number. A program that cannot be started raises a failure.
double Shell(const std::string& commandLine, int windowStyle);
} // namespace Interaction

// Ends the process at once: no clean-up, no further event.
[[noreturn]] void End();

// Replaces what End does (the window toolkit or a test). The handler must not
// return; if it does, the process ends anyway.
using EndHandler = std::function<void()>;
EndHandler SetEndHandler(EndHandler handler);
