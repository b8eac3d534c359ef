#include "sandbox/locked_page.h"

#include "sandbox/app_address.h"
#include "sandbox/app_scheme.h"
#include "sandbox/profiles.h"

#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineProfile>
#include <QWebEngineQuotaRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>
#include <cstdlib>

namespace sandbox {

namespace {

QString Shown(const QUrl& url) {
    return url.toDisplayString(QUrl::RemoveQuery | QUrl::RemoveUserInfo | QUrl::RemoveFragment);
}

} // namespace

LockedPage::LockedPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent) {
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, Feature feature) {
                Warn("denied a permission (" + QString::number(feature) + ") to " + Shown(origin));
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest r) { r.reject(); });
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    connect(this, &QWebEnginePage::quotaRequested, this, [](QWebEngineQuotaRequest r) { r.reject(); });
    QT_WARNING_POP
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest r) { r.reject(); });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest r) { r.reject(); });
}

void LockedPage::Show(const QUrl& address) {
    address_ = address;
    load(address);
}

void LockedPage::SetScripts(bool on) {
    settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, on);
}

bool LockedPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    if (isMainFrame) {
        if (url.adjusted(QUrl::RemoveFragment) == address_.adjusted(QUrl::RemoveFragment))
            return true;
        // The application scheme sends a toy's frame to the toy's origin.
        if (type == NavigationTypeRedirect && url.scheme() == kScheme &&
            address_.scheme() == kScheme) {
            address_ = url;
            return true;
        }
    } else {
        // Frames: the toyz of installed pages (data: and blob: frames would
        // be origins of no one's); on a remote page, what the web gives it.
        QString s = url.scheme();
        auto* installed = dynamic_cast<const AppSchemeHandler*>(profile()->urlSchemeHandler(kScheme));
        bool web = s == "http" || s == "https";
        if (s == kScheme || s == "about" ||
            (!installed && (s == "data" || s == "blob" || web)))
            return true;
        // A module made from a web address: its frame shows the site, and goes where it goes.
        if (installed && web && address_.scheme() == kScheme &&
            !FramedAddress(installed->Root(), address_.host().toStdString(),
                           address_.path(QUrl::FullyDecoded).toStdString())
                 .empty())
            return true;
    }
    Warn("refused to go to " + Shown(url));
    return false;
}

QWebEnginePage* LockedPage::createWindow(WebWindowType) {
    Warn("refused a new window from " + Shown(url()));
    return nullptr;
}

void LockedPage::javaScriptAlert(const QUrl& origin, const QString&) {
    Warn("refused an alert from " + Shown(origin));
}

bool LockedPage::javaScriptConfirm(const QUrl& origin, const QString&) {
    Warn("refused a confirmation from " + Shown(origin));
    return false;
}

bool LockedPage::javaScriptPrompt(const QUrl& origin, const QString&, const QString&, QString*) {
    Warn("refused a prompt from " + Shown(origin));
    return false;
}

QStringList LockedPage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) {
    Warn("refused a file chooser from " + Shown(url()));
    return {};
}

void LockedPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message,
                                          int line, const QString& source) {
    // For authors and tests: ZELKORA_PAGE_CONSOLE=1 shows what pages log.
    static const bool shown = [] {
        const char* v = std::getenv("ZELKORA_PAGE_CONSOLE");
        return v && *v == '1';
    }();
    if (shown) Warn("js: " + source + ":" + QString::number(line) + ": " + message);
}

} // namespace sandbox
