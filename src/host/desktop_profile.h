// The web profile of the desktop: what a module page may do and where what it
// stores is kept. The host uses it; so do the tools that render the pages.
#pragma once

#include <QString>

class QObject;
class QWebEngineProfile;

namespace host {

// A profile named "zelkora-desktop" whose storage (a toy's note) lives in
// storagePath, so it lasts across reloads and restarts.
QWebEngineProfile* NewDesktopProfile(const QString& storagePath, QObject* parent);

} // namespace host
