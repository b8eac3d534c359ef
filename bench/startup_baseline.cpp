// The start-up floor: a bare Qt window holding an empty tab control and a web
// pane, timed from process start to its first paint like zelkora-manager.
#include "window/qt/screenshots.h"

#include <QApplication>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-logging", 0);
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QTabWidget, 1);
    auto* web = new QWebEngineView;
    web->load(QUrl("about:blank"));
    layout->addWidget(web);
    window.resize(660, 600);
    window.show();
    // Timed like the Manager: it ends at its first paint when asked to.
    if (const char* p = std::getenv("ZELKORA_STARTUP_PROBE"); p && *p == '1')
        qtview::ExitAtFirstPaint(window);
    return app.exec();
}
