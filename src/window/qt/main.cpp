// zelkora-manager: the desktop application. It takes no arguments; the prefix
// comes from ZELKORA_PREFIX.
#include "window/frmZKRMain.h"
#include "window/qt/art.h"
#include "window/qt/main_view.h"
#include "window/qt/message_box.h"
#include "window/qt/screenshots.h"
#include "window/zkr_Main.h"
#include "platform/desktop_host.h"
#include "runtime/command_line.h"
#include "sandbox/app_scheme.h"
#include "sandbox/profiles.h"

#include <QApplication>
#include <cstdlib>
#include <unistd.h>

namespace {

const char kUsage[] =
    "Usage: zelkora-manager [--help | --version | --verbose]\n"
    "Zelkora Manager: browse, preview and apply the installed desktop modules,\n"
    "choose the active toyz, set the transparency and the preferences, and\n"
    "uninstall modules, toyz or the whole system. It takes no arguments; the\n"
    "prefix comes from ZELKORA_PREFIX (default ~/.zelkora). --verbose also prints\n"
    "what Qt and the browser report of themselves.\n";

} // namespace

int main(int argc, char** argv) {
    // --help and --version answer without a window; any other argument is refused.
    if (int rc = runtime::StandardOptions(argc, argv, {"zelkora-manager", kUsage, {}, false}); rc >= 0)
        return rc;
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
        // The desktop shows what the Manager says is on it, also before the
        // session's autostart first ran (just after the package came).
        platform::StartDesktopHostIfNeeded();
    });
    Main();
    if (!view) return 0;
    int rc = app.exec();
    // The browsers go before the application that holds their engine.
    delete view;
    return rc;
}
