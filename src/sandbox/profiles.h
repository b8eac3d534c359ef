// The web profiles pages from strangers run on. Installed pages (modules,
// toyz, the installation's own pages) see the installation through the
// application scheme and nothing of the network; an address the user chose
// (an http(s) wallpaper, the vendor's banner) gets the network but not the
// installation. Neither keeps anything on disk.
#pragma once

#include <QString>
#include <string>
#include <vector>

class QObject;
class QWebEngineProfile;

namespace sandbox {

class AppSchemeHandler;

// The chromium switches every browser of ours runs with, added to
// QTWEBENGINE_CHROMIUM_FLAGS (before the application object): no GPU unless
// asked for, and WebRTC that sends no datagram. What Qt and the browser
// report of their own insides stays off standard error unless the program
// was given --verbose.
// More switches may be given for a program's own needs.
void SetBrowserSwitches(bool gpu = false, const std::vector<std::string>& more = {});

// The handler serves the installation; it belongs to the caller.
QWebEngineProfile* NewInstalledPagesProfile(AppSchemeHandler* handler, QObject* parent);
QWebEngineProfile* NewRemotePagesProfile(QObject* parent);

// One line on standard error, behind the program's name.
void Warn(const QString& line);

} // namespace sandbox
