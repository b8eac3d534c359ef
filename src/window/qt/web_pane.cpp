#include "window/qt/web_pane.h"

#include "platform/prefix.h"
#include "sandbox/app_address.h"
#include "sandbox/app_scheme.h"
#include "sandbox/locked_page.h"
#include "sandbox/profiles.h"
#include "startup/AppState.h"

#include <QCoreApplication>
#include <QOpenGLWidget>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformintegration.h>

namespace qtview {

namespace {

// The installation the panes see: the one the Manager was started on.
std::string AppRoot() {
    return AppState.ApplicationPath.empty() ? std::string() : platform::MapPath(AppState.ApplicationPath);
}

// An address the scheme will not serve: it fails to load, as a missing page does.
QUrl Refused() {
    return QUrl(QString(sandbox::kScheme) + "://app/refused");
}

// The two profiles every pane shares, made with the first browser and kept
// until the application ends.
struct Profiles {
    sandbox::AppSchemeHandler* scheme;
    QWebEngineProfile* installed;
    QWebEngineProfile* remote;
};

Profiles& Shared() {
    static Profiles p = [] {
        QObject* owner = QCoreApplication::instance();
        auto* scheme = new sandbox::AppSchemeHandler(owner);
        return Profiles{scheme, sandbox::NewInstalledPagesProfile(scheme, owner),
                        sandbox::NewRemotePagesProfile(owner)};
    }();
    p.scheme->SetRoot(AppRoot());
    return p;
}

bool Remote(const QUrl& url) {
    return url.scheme() == "http" || url.scheme() == "https";
}

} // namespace

QUrl PaneUrl(const std::string& address) {
    QString a = QString::fromStdString(address).trimmed();
    if (a.isEmpty()) return QUrl("about:blank");
    if (a.contains("://") || a.startsWith("about:")) {
        QUrl url(a);
        if (Remote(url) || url.scheme() == "about") return url;
        if (!url.isLocalFile()) return Refused();
        a = url.toLocalFile();
    }
    sandbox::Address at = sandbox::AddressOf(AppRoot(), platform::MapPath(a.toStdString()));
    return at.url.empty() ? Refused() : QUrl(QString::fromStdString(at.url));
}

WebPane::WebPane(QWidget* parent) : QWidget(parent) {
    // A page is drawn through OpenGL. The browser comes after the window is
    // shown, and a shown window that first meets OpenGL is made again: it
    // vanishes and comes back. This hidden child makes the window OpenGL's
    // from the start, where the platform draws widgets through OpenGL at all
    // (Qt's own test for it).
    const QPlatformIntegration* platform = QGuiApplicationPrivate::platformIntegration();
    if (platform->hasCapability(QPlatformIntegration::RhiBasedRendering) &&
        platform->hasCapability(QPlatformIntegration::OpenGL))
        (new QOpenGLWidget(this))->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setMinimumSize(120, 60);
    // The panes only show pages: they stay out of the keyboard's focus chain.
    setFocusPolicy(Qt::NoFocus);
}

void WebPane::Load(const QUrl& address) {
    address_ = address;
    if (view_) Show();
}

void WebPane::SetReady() {
    ready_ = true;
    if (!view_ && isVisible()) MakeView();
}

void WebPane::showEvent(QShowEvent* e) {
    if (ready_ && !view_) MakeView();
    QWidget::showEvent(e);
}

void WebPane::MakeView() {
    view_ = new QWebEngineView(this);
    view_->setFocusPolicy(Qt::NoFocus);
    layout()->addWidget(view_);
    if (!address_.isEmpty()) Show();
}

void WebPane::Show() {
    // A web address and a page of the installation never share a profile.
    QWebEngineProfile* profile = Remote(address_) ? Shared().remote : Shared().installed;
    if (!page_ || page_->profile() != profile) {
        auto* old = page_;
        page_ = new sandbox::LockedPage(profile, view_);
        page_->SetScripts(scripts_);
        // A page that could not be loaded is the pane's to handle, not the
        // browser's error page; a load the pane has moved on from is not.
        connect(page_, &QWebEnginePage::loadingChanged, this,
                [this](const QWebEngineLoadingInfo& info) {
                    if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus) return;
                    if (info.url() != address_ || !loadFailed_) return;
                    loadFailed_(address_);
                });
        view_->setPage(page_);
        delete old;
    }
    page_->Show(address_);
}

} // namespace qtview
