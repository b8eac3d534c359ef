// zelkora-desktop: the emulated Active Desktop on the real screen, for the
// prefix in ZELKORA_PREFIX and the display it is started on. A second host
// for the same prefix and display ends at once.
#include "host/desktop_host.h"
#include "host/fullscreen.h"
#include "platform/desktop_host.h"
#include "sandbox/app_scheme.h"
#include "sandbox/profiles.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

int main(int argc, char** argv) {
    // Qt has no desktop layer for Wayland here: the host runs through XWayland.
    if (std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    if (platform::TakeDesktopHostLock() < 0) return 0; // one host runs already
    // Started with the session, the host may come before the X server takes
    // connections: it waits a little rather than fail.
    if (!host::WaitForDisplay(10000)) {
        std::fprintf(stderr, "zelkora-desktop: no X display to show the desktop on\n");
        return 1;
    }
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    sandbox::SetBrowserSwitches();
    sandbox::RegisterAppScheme();
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Zelkora Desktop");
    QApplication::setQuitOnLastWindowClosed(false);
    host::DesktopHost desktop;
    // For the benchmarks: the wall-clock time whenever the page of a change
    // is on every screen.
    if (const char* p = std::getenv("ZELKORA_DESKTOP_PROBE"); p && *p == '1')
        QObject::connect(&desktop, &host::DesktopHost::AllPainted, [] {
            timespec now;
            clock_gettime(CLOCK_REALTIME, &now);
            std::printf("painted %.3f\n", now.tv_sec + now.tv_nsec / 1e9);
            std::fflush(stdout);
        });
    return app.exec();
}
