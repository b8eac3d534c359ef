// The desktop host's floor: a bare QWebEngineView filling the screen with the
// page given.
#include <QApplication>
#include <QScreen>
#include <QWebEngineView>
#include <cstdlib>
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
    view.load(QUrl::fromUserInput(QString::fromLocal8Bit(argv[1])));
    view.show();
    return app.exec();
}
