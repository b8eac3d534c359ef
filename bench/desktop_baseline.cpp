// The desktop host's floor: a bare QWebEngineView filling the screen with the
// page given, printing the wall-clock time when the page is on the screen
// (two animation frames after it loaded), as zelkora-desktop's probe does.
#include <QApplication>
#include <QScreen>
#include <QWebEngineView>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-logging", 0);
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWebEngineView view;
    view.setWindowFlags(Qt::FramelessWindowHint);
    view.setGeometry(QApplication::primaryScreen()->geometry());
    QObject::connect(&view, &QWebEngineView::loadFinished, [&view](bool) {
        view.page()->runJavaScript(
            "new Promise(r => requestAnimationFrame(() => requestAnimationFrame(() => r(1))))",
            [](const QVariant&) {
                timespec now;
                clock_gettime(CLOCK_REALTIME, &now);
                std::printf("painted %.3f\n", now.tv_sec + now.tv_nsec / 1e9);
                std::fflush(stdout);
            });
    });
    view.load(QUrl::fromUserInput(QString::fromLocal8Bit(argv[1])));
    view.show();
    return app.exec();
}
