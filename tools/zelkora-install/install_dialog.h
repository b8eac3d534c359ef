// The installer's two faces: quiet (a line of outcome) and the dialog that
// shows what a package holds and asks before it installs.
#pragma once

#include "package/quick_module.h"

#include <memory>
#include <string>

class QDialog;

namespace installer {

struct Request {
    std::string file; // a package; or
    bool force = false;
    bool quick = false; // a module made from source
    package::QuickSource source;
    bool wallpaper = false; // file is another program's wallpaper, made a module
};

int RunQuietly(const Request& request);
// The dialog, shown by RunDialog; its result() is Accepted once it installed.
std::unique_ptr<QDialog> NewDialog(const Request& request);
// Shows the dialog; returns when it is closed (0 when it installed).
int RunDialog(const Request& request);

} // namespace installer
