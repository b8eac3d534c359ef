// The installer's two faces: quiet (a line of outcome) and the dialog that
// shows what a package holds and asks before it installs.
#pragma once

#include "package/quick_module.h"

#include <string>

namespace installer {

struct Request {
    std::string file; // a package; or
    bool force = false;
    bool quick = false; // a module made from source
    package::QuickSource source;
};

int RunQuietly(const Request& request);
// Shows the dialog; returns when it is closed (0 when it installed).
int RunDialog(const Request& request);

} // namespace installer
