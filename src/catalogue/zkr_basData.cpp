#include "catalogue/zkr_basData.h"

#include "platform/prefix.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/report.h"

bool zkr_IsDataFileAvailable(std::string path) {
    try {
        if (platform::ProbeFile(path) != platform::FileKind::PlainFile) {
            MsgBox(path + " does not exist.  The Zelkora data file is unavailable.  Ensure "
                          "Zelkora Manager is installed properly.",
                   vbCritical, App::Title());
            return false;
        }
        return true;
    } catch (const Failure& f) {
        MsgBox(ErrorText(f), vbCritical, App::Title());
        return false;
    }
}
