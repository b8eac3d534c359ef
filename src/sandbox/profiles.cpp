#include "sandbox/profiles.h"

#include "runtime/command_line.h"
#include "sandbox/app_address.h"
#include "sandbox/app_scheme.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace sandbox {

namespace {

// Installed pages reach the installation and what they make themselves,
// nothing else: no http(s), no web sockets, no other scheme. The one opening
// is a module the user made from a web address: the site in its frame has
// the network, the module's page only the frame, its toyz nothing.
class NoNetwork : public QWebEngineUrlRequestInterceptor {
  public:
    NoNetwork(const AppSchemeHandler* handler, QObject* parent)
        : QWebEngineUrlRequestInterceptor(parent), handler_(handler) {}
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QString scheme = info.requestUrl().scheme();
        if (scheme == kScheme || scheme == "data" || scheme == "blob") return;
        if (FramedSite(info)) return;
        info.block(true);
        Warn("blocked " + info.requestUrl().toDisplayString(QUrl::RemoveQuery | QUrl::RemoveUserInfo));
    }

  private:
    bool FramedSite(const QWebEngineUrlRequestInfo& info) {
        const QString scheme = info.requestUrl().scheme();
        if (scheme != "http" && scheme != "https" && scheme != "ws" && scheme != "wss")
            return false;
        const QUrl first = info.firstPartyUrl();
        if (first.scheme() != kScheme) return false;
        if (first != page_) { // the page's file is read once, not at every request
            page_ = first;
            framed_ = !FramedAddress(handler_->Root(), first.host().toStdString(),
                                     first.path(QUrl::FullyDecoded).toStdString())
                           .empty();
        }
        if (!framed_) return false;
        const QUrl initiator = info.initiator();
        if (initiator.scheme() != kScheme) return true; // the site's own requests
        // The module's page (written by the installer, not a stranger) only
        // opens its frame; the frame may be sent on to another site.
        return initiator.host() == first.host() &&
               info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeSubFrame;
    }

    const AppSchemeHandler* handler_;
    QUrl page_;           // the last page asked about...
    bool framed_ = false; // ...and whether it frames a web address
};

void LockDown(QWebEngineProfile* profile) {
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setSpellCheckEnabled(false);
    QWebEngineSettings* s = profile->settings();
    for (auto off : {QWebEngineSettings::LocalContentCanAccessFileUrls,
                     QWebEngineSettings::LocalContentCanAccessRemoteUrls,
                     QWebEngineSettings::JavascriptCanOpenWindows,
                     QWebEngineSettings::JavascriptCanAccessClipboard,
                     QWebEngineSettings::JavascriptCanPaste,
                     QWebEngineSettings::FullScreenSupportEnabled,
                     QWebEngineSettings::ScreenCaptureEnabled,
                     QWebEngineSettings::PluginsEnabled,
                     QWebEngineSettings::PdfViewerEnabled,
                     QWebEngineSettings::HyperlinkAuditingEnabled,
                     QWebEngineSettings::DnsPrefetchEnabled,
                     QWebEngineSettings::NavigateOnDropEnabled,
                     QWebEngineSettings::AllowRunningInsecureContent,
                     QWebEngineSettings::AllowGeolocationOnInsecureOrigins,
                     QWebEngineSettings::AllowWindowActivationFromJavaScript,
                     QWebEngineSettings::ErrorPageEnabled,
                     QWebEngineSettings::FocusOnNavigationEnabled})
        s->setAttribute(off, false);
    s->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    // Nothing is ever downloaded.
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                     [](QWebEngineDownloadRequest* d) {
                         Warn("refused a download of " + d->url().toDisplayString());
                         d->cancel();
                     });
}

} // namespace

void SetBrowserSwitches(bool gpu, const std::vector<std::string>& more) {
    std::string flags;
    if (const char* f = std::getenv("QTWEBENGINE_CHROMIUM_FLAGS")) flags = f;
    auto add = [&](const std::string& s) {
        if (flags.find(s) == std::string::npos) flags += (flags.empty() ? "" : " ") + s;
    };
    if (!gpu) add("--disable-gpu");
    add("--disable-logging");
    // WebRTC gathers no candidates, so it sends no datagram anywhere.
    add("--force-webrtc-ip-handling-policy=disable_non_proxied_udp");
    for (const auto& s : more)
        add(s);
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.c_str(), 1);
    // Rules of the user's own (QT_LOGGING_RULES) choose instead.
    if (!runtime::Verbose() && !std::getenv("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("qt.*=false"));
}

QWebEngineProfile* NewInstalledPagesProfile(AppSchemeHandler* handler, QObject* parent) {
    // Off the record: what a page stores stays in memory and goes with the
    // profile. A toy's text is kept by the application scheme instead.
    auto* profile = new QWebEngineProfile(parent);
    LockDown(profile);
    profile->installUrlSchemeHandler(kScheme, handler);
    profile->setUrlRequestInterceptor(new NoNetwork(handler, profile));
    return profile;
}

QWebEngineProfile* NewRemotePagesProfile(QObject* parent) {
    auto* profile = new QWebEngineProfile(parent);
    LockDown(profile);
    return profile;
}

void Warn(const QString& line) {
    static const QByteArray name =
        QFileInfo(QCoreApplication::applicationFilePath()).fileName().toLocal8Bit();
    std::fprintf(stderr, "%s: %s\n", name.constData(), line.toLocal8Bit().constData());
}

} // namespace sandbox
