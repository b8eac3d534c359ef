#include "host/page_script.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>

namespace host {

bool WaitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QEventLoop loop;
        QTimer::singleShot(25, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void Pause(int ms) {
    WaitUntil([] { return false; }, ms);
}

std::optional<QVariant> Evaluate(QWebEnginePage* page, const QString& script, int ms) {
    QVariant result;
    bool answered = false;
    page->runJavaScript(script, [&](const QVariant& v) {
        result = v;
        answered = true;
    });
    if (!WaitUntil([&] { return answered; }, ms)) return std::nullopt;
    return result;
}

} // namespace host
