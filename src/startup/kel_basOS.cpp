#include "startup/kel_basOS.h"

#include "platform/win32.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/report.h"

#include <cstring>

bool kel_IsXPOrGreater() {
    bool result = false;
    try {
        OSVERSIONINFOA info;
        std::memset(&info, 0, sizeof info);
        info.dwOSVersionInfoSize = sizeof info;
        GetVersionExA(&info); // a failed call leaves the version 0.0
        result = info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1);
    } catch (const Failure& f) {
        MsgBox(ErrorText(f), vbCritical, App::Title() + " - kel_IsXPOrGreater");
    }
    return result;
}
