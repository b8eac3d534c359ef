// zelkora-desktop: the emulated Active Desktop on the real screen, for the
// prefix in ZELKORA_PREFIX and the display it is started on. A second host
// for the same prefix and display ends at once.
#include "host/desktop_host.h"
#include "host/desktop_state.h"
#include "host/fullscreen.h"
#include "host/idle_wait.h"
#include "host/keep_running.h"
#include "host/render_path.h"
#include "host/still_desktop.h"
#include "host/wayland/layer_integration.h"
#include "runtime/command_line.h"
#include "platform/desktop_host.h"
#include "sandbox/app_scheme.h"

#include <QApplication>
#include <QScreen>
#include <QtPlugin>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

Q_IMPORT_PLUGIN(LayerPlugin)

namespace {

const char kUsage[] =
    "Usage: zelkora-desktop [--keep-running] [--help | --version | --verbose]\n"
    "The Zelkora desktop: shows the Active Desktop page (or the classic wallpaper)\n"
    "of the prefix on every screen of this display, below every window (on\n"
    "Wayland, a layer-shell surface where the compositor offers it), and\n"
    "follows each change the Manager applies. --verbose also prints what Qt and\n"
    "the browser report of themselves.\n"
    "\n"
    "  --keep-running        start the desktop and keep it running: a host that\n"
    "                        fails is started again, up to 5 failures in 5 minutes\n"
    "                        (by systemd, where the user's systemd has\n"
    "                        zelkora-desktop.service; by a process beside it\n"
    "                        otherwise). The autostart entry and the Manager start\n"
    "                        the desktop so.\n"
    "\n"
    "Environment:\n"
    "  ZELKORA_PREFIX        the prefix (default ~/.zelkora)\n"
    "  ZELKORA_GPU=1         draw with the GPU when OpenGL is a hardware one\n"
    "                        (software otherwise, the default)\n"
    "  ZELKORA_PAGE_BUDGET   P:S:M: stop a page over P% of a core for S seconds\n"
    "                        or M MB of memory (default 50:30:512)\n"
    "  ZELKORA_PAGE_CONSOLE=1  show what pages log\n"
    "  ZELKORA_IDLE_SECONDS  on Wayland and GNOME, the session's seconds without\n"
    "                        input before the desktop rests (default 300)\n"
    "\n"
    "Preferences ([Options] of the Manager's preferences file):\n"
    "  PauseOnBattery=1      the desktop rests while the machine runs on battery\n"
    "                        (zelkora-shell pause-on-battery on|off)\n";

} // namespace

int main(int argc, char** argv) {
    if (int rc = runtime::StandardOptions(argc, argv,
                                          {"zelkora-desktop", kUsage, {"--keep-running"}, false});
        rc >= 0)
        return rc;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--keep-running") return host::KeepRunning();
    if (platform::TakeDesktopHostLock() < 0) return 0; // one host runs already
    // On a Wayland compositor with layer-shell the desktop is a layer below
    // every window; elsewhere an X11 desktop window (through Xwayland on a
    // Wayland session without layer-shell); with neither, a still picture as
    // GNOME's wallpaper. Started with the session, the host may come before
    // the display takes connections: it waits a little.
    const char* platformAsked = std::getenv("QT_QPA_PLATFORM");
    bool layer = platformAsked && std::string(platformAsked) == host::wayland::kPlatformName;
    bool still = false;
    if (std::getenv("WAYLAND_DISPLAY") && !platformAsked) {
        auto compositor = host::wayland::ProbeCompositor(10000);
        layer = compositor == host::wayland::Compositor::LayerShell;
        still = compositor == host::wayland::Compositor::NoLayerShell && !std::getenv("DISPLAY");
        ::setenv("QT_QPA_PLATFORM", layer ? host::wayland::kPlatformName : still ? "offscreen" : "xcb", 1);
    }
    if (!layer && !still && !host::WaitForDisplay(10000)) {
        std::fprintf(stderr, "zelkora-desktop: no X display to show the desktop on\n");
        return 1;
    }
    std::fprintf(stderr, "zelkora-desktop: drawing on %s\n",
                 layer ? "layer-shell" : still ? "a still on GNOME" : "X11");
    // Nothing to show yet: no toolkit and no browser until there is.
    host::WaitUntilSomethingToShow();
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    sandbox::RegisterAppScheme();
    // WebGL needs OpenGL: on layer-shell the platform offers it only to a
    // host that will draw it, so every other one makes no GL context at all.
    host::PagesNeed pages = host::NeedsOfPages(host::ReadDesktopState(), display_layout::LoadChoices());
    bool webgl = !still && pages.webgl;
    if (layer) host::wayland::OfferOpenGL(host::OpenGLWanted(webgl));
    host::ChooseRenderPathEarly(webgl);
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Zelkora Desktop");
    QApplication::setQuitOnLastWindowClosed(false);
    // A renderer for each display, so that another display's own module
    // needs no new start (the same module on two may share one).
    int renderers = static_cast<int>(QGuiApplication::screens().size());
    host::ChooseRenderPath(webgl, still ? 1 : std::max(renderers, pages.renderers));
    if (still) {
        host::StillDesktop desktop(host::wayland::LargestOutput());
        return app.exec();
    }
    host::DesktopHost desktop;
    return app.exec();
}
