#include "window/qt/screenshots.h"

#include "window/qt/main_view.h"
#include "window/qt/message_box.h"

#include <QPainter>
#include <QScreen>
#include <algorithm>

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <time.h>
#include <unistd.h>

namespace qtview {

double ProcessMilliseconds() {
    // The process's start time, from /proc, against the boot clock.
    std::ifstream stat("/proc/self/stat");
    std::string content((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    auto close = content.rfind(')');
    std::istringstream rest(content.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && rest >> field; ++i) {
    }
    double startTicks = std::stod(field);
    timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

namespace {

class FirstPaint : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && !done_) {
            done_ = true;
            QTimer::singleShot(0, [] {
                std::printf("startup_ms %.1f\n", ProcessMilliseconds());
                std::fflush(stdout);
                QApplication::exit(0);
            });
        }
        return QObject::eventFilter(o, e);
    }

  private:
    bool done_ = false;
};

// The window's picture with the message boxes of the run beside it, so that
// a box that came up unattended is seen too.
QImage WithMessageBoxes(const QImage& window) {
    const auto& boxes = CapturedMessageBoxes();
    if (boxes.empty()) return window;
    int width = window.width(), height = window.height();
    for (const QImage& b : boxes) {
        width += 8 + b.width();
        height = std::max(height, b.height());
    }
    QImage all(width, height, QImage::Format_RGB32);
    all.fill(QColor(64, 64, 64));
    QPainter g(&all);
    g.drawImage(0, 0, window);
    int x = window.width();
    for (const QImage& b : boxes) {
        g.drawImage(x + 8, 0, b);
        x += 8 + b.width();
    }
    return all;
}

} // namespace

void ExitAtFirstPaint(QWidget& widget) {
    widget.installEventFilter(new FirstPaint(&widget));
}

void StartProbes(MainView& view) {
    if (const char* p = std::getenv("ZELKORA_STARTUP_PROBE"); p && *p == '1')
        ExitAtFirstPaint(view);
    const char* shot = std::getenv("ZELKORA_SCREENSHOT");
    if (!shot || !*shot) return;
    QString file = QString::fromLocal8Bit(shot);
    bool tabs =
        std::getenv("ZELKORA_SCREENSHOT_TABS") && *std::getenv("ZELKORA_SCREENSHOT_TABS") == '1';
    int wait = 4000;
    if (const char* w = std::getenv("ZELKORA_SCREENSHOT_WAIT_MS")) wait = std::atoi(w);
    // The whole screen, with the desktop behind the window, when asked.
    bool screen = std::getenv("ZELKORA_SCREENSHOT_SCREEN") &&
                  *std::getenv("ZELKORA_SCREENSHOT_SCREEN") == '1';
    QTimer::singleShot(wait, &view, [&view, file, tabs, screen] {
        auto save = [&view, screen](const QString& name) {
            view.SyncNow();
            QApplication::processEvents();
            QImage picture;
            if (screen && view.screen()) picture = view.screen()->grabWindow(0).toImage();
            if (picture.isNull()) picture = view.grab().toImage();
            WithMessageBoxes(picture).save(name);
            std::printf("screenshot %s\n", name.toLocal8Bit().constData());
        };
        if (!tabs) {
            save(file);
        } else {
            for (int i = 0; i < view.tabs()->count(); ++i) {
                view.form().SSTab1.UserSelectTab(i);
                view.SyncNow();
                // A page in a tab that was hidden is drawn once the tab shows.
                QEventLoop settle;
                QTimer::singleShot(900, &settle, &QEventLoop::quit);
                settle.exec();
                QString name = file;
                name.replace(".png", QString("-%1.png").arg(i + 1));
                save(name);
            }
        }
        std::fflush(stdout);
        QApplication::exit(0);
    });
}

} // namespace qtview
