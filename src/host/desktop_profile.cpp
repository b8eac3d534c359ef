#include "host/desktop_profile.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace host {

QWebEngineProfile* NewDesktopProfile(const QString& storagePath, QObject* parent) {
    auto* profile = new QWebEngineProfile("zelkora-desktop", parent);
    profile->setPersistentStoragePath(storagePath);
    // Local pages need no HTTP cache; without one the host holds less memory.
    profile->setHttpCacheType(QWebEngineProfile::NoCache);
    QWebEngineSettings* s = profile->settings();
    // Local pages read the files beside them: zelkora.js reads the options
    // and binding files and loads the toyz from the application folder.
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    s->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    return profile;
}

} // namespace host
