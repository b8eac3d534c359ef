#include "host/host_window.h"

#include "host/fullscreen.h"

#include "sandbox/locked_page.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QStackedLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>

namespace host {

namespace {
// The desktop's colour when no wallpaper is set.
const QColor kBackground(58, 110, 165);
} // namespace

void PictureView::Set(const QPixmap& picture, Placement placement) {
    picture_ = picture;
    placement_ = placement;
    update();
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter g(this);
    g.fillRect(rect(), kBackground);
    if (picture_.isNull()) return;
    switch (placement_) {
    case Placement::Tile:
        g.drawTiledPixmap(rect(), picture_);
        break;
    case Placement::Stretch:
        g.setRenderHint(QPainter::SmoothPixmapTransform);
        g.drawPixmap(rect(), picture_);
        break;
    case Placement::Centre:
        g.drawPixmap((width() - picture_.width()) / 2, (height() - picture_.height()) / 2,
                     picture_);
        break;
    }
}

HostWindow::HostWindow(QScreen* screen, QWebEngineProfile* installed, QWebEngineProfile* remote,
                       bool acrossAll)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint), screen_(screen),
      acrossAll_(acrossAll), installed_(installed), remote_(remote) {
    setObjectName("zelkora-desktop");
    setWindowTitle("Zelkora Desktop");
    // The desktop: below everything, in no task bar or pager, never active
    // by itself. A click gives it the keyboard, as on any desktop, so the
    // user can type into a toy (a note).
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    picture_ = new PictureView;
    web_ = new QWebEngineView;
    web_->setFocusPolicy(Qt::ClickFocus);
    stack_->addWidget(picture_);
    stack_->addWidget(web_);
    setScreen(screen);
    FitScreen();
    // Of the desktop type from its first showing: window managers keep it
    // below every window, never raise it on a click, and list it nowhere.
    MakeDesktopWindow(winId());
}

namespace {

// Told to the page before its own scripts run: zelkora.js then places no toyz.
const char kNoToyz[] = "zelkora-no-toyz";
QWebEngineScript NoToyzScript() {
    QWebEngineScript script;
    script.setName(kNoToyz);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode("window.ZelkoraDisplay = Object.freeze({toyz: false});");
    return script;
}

} // namespace

sandbox::LockedPage* HostWindow::PageFor(bool remote) {
    QWebEngineProfile* profile = remote ? remote_ : installed_;
    if (page_ && page_->profile() == profile) return page_;
    auto* old = page_;
    page_ = new sandbox::LockedPage(profile, web_);
    page_->setBackgroundColor(kBackground);
    page_->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    connect(page_, &QWebEnginePage::loadingChanged, this, &HostWindow::OnLoading);
    connect(page_, &QWebEnginePage::renderProcessTerminated, this,
            [this, page = page_](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                // A page let go of (over its budget) or replaced ends its renderer on purpose.
                if (page != page_ || state_.show != Show::Page ||
                    page->lifecycleState() == QWebEnginePage::LifecycleState::Discarded)
                    return;
                static const RendererEnd kEnds[] = {RendererEnd::Normal, RendererEnd::Abnormal,
                                                    RendererEnd::Crashed, RendererEnd::Killed};
                emit PageEnded(kEnds[std::min<int>(status, 3)], code);
            });
    if (!toyz_) page_->scripts().insert(NoToyzScript());
    web_->setPage(page_);
    delete old;
    return page_;
}

void HostWindow::SetToyz(bool shown) {
    if (shown == toyz_) return;
    toyz_ = shown;
    if (!page_) return;
    if (shown)
        page_->scripts().remove(page_->scripts().find(kNoToyz).value(0));
    else
        page_->scripts().insert(NoToyzScript());
    if (state_.show == Show::Page) ShowState(state_, true);
}

void HostWindow::Blank() {
    // A page let go of stays so; an empty one needs no renderer.
    if (page_ && page_->lifecycleState() != QWebEnginePage::LifecycleState::Discarded)
        page_->Show(QUrl("about:blank"));
}

bool HostWindow::ShowsPage() const {
    return pageShown_;
}

qint64 HostWindow::RendererPid() const {
    return page_ ? page_->renderProcessPid() : 0;
}

void HostWindow::StopPage() {
    if (!page_) return;
    // Frozen at once, then let go of, so that its renderer ends.
    page_->setVisible(false);
    page_->setLifecycleState(QWebEnginePage::LifecycleState::Frozen);
    ShowClassic();
    page_->setLifecycleState(QWebEnginePage::LifecycleState::Discarded);
}

bool HostWindow::event(QEvent* e) {
    // A click gives the desktop the keyboard (to type into a note); some
    // window managers lift the window they focus above all others, so the
    // desktop goes back below at once.
    if (e->type() == QEvent::WindowActivate) lower();
    return QWidget::event(e);
}

void HostWindow::SetProfiles(QWebEngineProfile* installed, QWebEngineProfile* remote) {
    bool wasRemote = page_ && page_->profile() == remote_;
    installed_ = installed;
    remote_ = remote;
    if (page_) PageFor(wasRemote);
}

void HostWindow::Forget() {
    listensSound_ = listensMedia_ = false;
    ++loads_;
}

void HostWindow::CallPage(const char* member, const QString& argument) {
    if (page_ && pageShown_ && !paused_)
        page_->runJavaScript(
            QStringLiteral("window.Zelkora && Zelkora.%1 && Zelkora.%1(%2)").arg(member, argument));
}

bool HostWindow::Listens(Hearing what) const {
    return (what == Hearing::Sound ? listensSound_ : listensMedia_) && pageShown_ && !paused_;
}

void HostWindow::AskWhetherListening(const std::function<void()>& changed) {
    if (!page_ || !pageShown_ || paused_) return;
    page_->runJavaScript(
        QStringLiteral("(function (z) { return z && typeof z.listens === 'function' ? "
                       "[!!z.listens('audio'), !!z.listens('media')] : []; })(window.Zelkora)"),
        [this, load = loads_, changed](const QVariant& answer) {
            if (load != loads_) return;
            QVariantList both = answer.toList();
            bool sound = both.size() == 2 && both[0].toBool();
            bool media = both.size() == 2 && both[1].toBool();
            if (sound == listensSound_ && media == listensMedia_) return;
            listensSound_ = sound;
            listensMedia_ = media;
            changed();
        });
}

void HostWindow::Tell(Hearing what, const QString& json) {
    if (Listens(what)) CallPage(what == Hearing::Sound ? "audio" : "media", json);
}

void HostWindow::Wake() {
    CallPage("wake");
}

void HostWindow::PropertiesChanged() {
    CallPage("propertiesChanged");
}

QList<QScreen*> HostWindow::Screens() const {
    return acrossAll_ ? QGuiApplication::screens() : QList<QScreen*>{screen_};
}

void HostWindow::FitScreen() {
    QRect area;
    for (QScreen* screen : Screens())
        area |= screen->geometry();
    setGeometry(area);
}

void HostWindow::ShowClassic() {
    pageShown_ = false;
    Forget();
    QPixmap p;
    if (!state_.classicPicture.empty()) p.load(QString::fromStdString(state_.classicPicture));
    picture_->Set(p, state_.placement);
    stack_->setCurrentWidget(picture_);
}

void HostWindow::ShowState(const DesktopState& state, bool reload) {
    bool sameAddress = state.show == Show::Page && state_.show == Show::Page &&
                       state.wallpaper == state_.wallpaper;
    state_ = state;
    if (!sameAddress || reload || !pageShown_) Forget();
    switch (state.show) {
    case Show::Page:
        if (sameAddress && !reload && pageShown_) return;
        PageFor(state.remote);
        if (page_->lifecycleState() != QWebEnginePage::LifecycleState::Active) {
            page_->setLifecycleState(QWebEnginePage::LifecycleState::Active);
            page_->setVisible(!paused_);
        }
        // Applied again, the page is read anew: its files may have changed
        // (an upgrade), and the browser's memory would show the old ones.
        if (QUrl address(QString::fromStdString(state.wallpaper));
            sameAddress && page_->Address() == address && page_->url() == address)
            page_->triggerAction(QWebEnginePage::ReloadAndBypassCache);
        else
            page_->Show(address);
        // The old picture stays until the page has loaded.
        break;
    case Show::Picture: {
        QPixmap p(QString::fromStdString(state.wallpaper));
        if (p.isNull()) {
            std::fprintf(stderr, "zelkora-desktop: cannot read the picture %s\n",
                         state.wallpaper.c_str());
            ShowClassic();
            break;
        }
        pageShown_ = false;
        picture_->Set(p, Placement::Stretch);
        stack_->setCurrentWidget(picture_);
        Blank();
        break;
    }
    case Show::Classic:
        ShowClassic();
        Blank();
        break;
    }
}

void HostWindow::OnLoading(const QWebEngineLoadingInfo& info) {
    // Only the address asked for counts: a navigation the page tried and was
    // refused leaves the page as it is.
    if (state_.show != Show::Page || info.url() == QUrl("about:blank") ||
        info.url().adjusted(QUrl::RemoveFragment) != page_->Address().adjusted(QUrl::RemoveFragment))
        return;
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus ||
        info.status() == QWebEngineLoadingInfo::LoadStoppedStatus)
        return;
    // A load that a newer one replaced is aborted (-3): the newer one counts.
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && info.errorCode() == -3) return;
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus) {
        // The classic wallpaper, never the browser's error page.
        std::fprintf(stderr, "zelkora-desktop: the page %s could not be loaded: %s\n",
                     state_.wallpaper.c_str(), info.errorString().toLocal8Bit().constData());
        ShowClassic();
        return;
    }
    pageShown_ = true;
    stack_->setCurrentWidget(web_);
}

void HostWindow::SetPaused(bool paused) {
    if (paused == paused_) return;
    paused_ = paused;
    QWebEnginePage* page = page_;
    if (!page || page->lifecycleState() == QWebEnginePage::LifecycleState::Discarded) return;
    if (paused) {
        // A page that is shown cannot be frozen: it is hidden first.
        page->setVisible(false);
        page->setLifecycleState(QWebEnginePage::LifecycleState::Frozen);
    } else {
        page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
        page->setVisible(true);
    }
}

} // namespace host
