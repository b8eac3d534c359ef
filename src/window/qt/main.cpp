// zelkora-manager: the desktop application. It takes no arguments; the prefix
// comes from ZELKORA_PREFIX.
#include "window/frmZKRMain.h"
#include "window/qt/art.h"
#include "window/qt/main_view.h"
#include "window/qt/message_box.h"
#include "window/qt/screenshots.h"
#include "window/zkr_Main.h"
#include "sandbox/app_scheme.h"
#include "sandbox/profiles.h"

#include <QApplication>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    // The embedded browser runs without its sandbox when started as root, and
    // without a GPU on machines that have none.
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    sandbox::SetBrowserSwitches();
    sandbox::RegisterAppScheme();
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Zelkora Manager");
    QApplication::setWindowIcon(art::AppIcon());
    qtview::InstallMessageBoxes();

    MainView* view = nullptr;
    SetShowHandler([&view](frmZKRMain& form) {
        view = new MainView(form);
        view->show();
        qtview::StartProbes(*view);
    });
    Main();
    if (!view) return 0;
    int rc = app.exec();
    // The browsers go before the application that holds their engine.
    delete view;
    return rc;
}
