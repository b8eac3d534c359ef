#include "host/prefix_watch.h"

#include "platform/prefix.h"

#include <QFileSystemWatcher>
#include <QTimer>

namespace host {

void WatchPrefix(QObject* owner, int delayMs, std::function<void()> look, bool safetyNet) {
    auto* watcher = new QFileSystemWatcher(owner);
    QString prefix = QString::fromStdString(platform::PrefixDir());
    bool watched = watcher->addPath(prefix);
    auto* soon = new QTimer(owner);
    soon->setSingleShot(true);
    soon->setInterval(delayMs);
    QObject::connect(soon, &QTimer::timeout, owner, look);
    QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, owner, [watcher, prefix, soon] {
        // A first set-up puts a whole new folder in the prefix's place: the
        // watch follows the name, not the folder that went.
        if (!watcher->directories().contains(prefix)) watcher->addPath(prefix);
        if (!soon->isActive()) soon->start();
    });
    if (watched && !safetyNet) return;
    auto* every = new QTimer(owner);
    QObject::connect(every, &QTimer::timeout, owner, look);
    every->start(watched ? 5000 : 1000);
}

} // namespace host
