// The process entry: the single-instance rule, the settings, the two
// catalogue loads and the window.
#include "window/zkr_Main.h"

#include "catalogue/zkr_basModules.h"
#include "catalogue/zkr_basToyz.h"
#include "platform/win32.h"
#include "runtime/app.h"
#include "runtime/report.h"
#include "startup/AppState.h"
#include "startup/zkr_Main.h"
#include "startup/zkr_basRegistry.h"
#include "window/frmZKRMain.h"

void Main() {
    try {
        if (App::PrevInstance()) {
            HWND h = FindWindowA(nullptr, App::Title().c_str());
            if (reinterpret_cast<intptr_t>(h) > 0) {
                char title[200];
                GetWindowTextA(h, title, 200);
                FlashWindow(h, 1);
                for (int i = 1; i <= 10; ++i) {
                    FlashWindow(h, 1);
                    Sleep(100);
                }
                BringWindowToTop(h);
            }
            End();
        }
        CoInitialize(nullptr);
        kel_SetEnvironment();
        zkr_LoadRegistryEntries();
        std::string path = DataFilePath();
        zkr_LoadModuleData(path);
        zkr_LoadToyzData(path);
        frmZKRMain::Instance().Show();
    } catch (const std::exception& e) {
        ReportFailure(ForeignFailure(e), "Sub Main");
    }
}
