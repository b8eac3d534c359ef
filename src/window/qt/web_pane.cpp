#include "window/qt/web_pane.h"

#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace qtview {

WebPane::WebPane(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setMinimumSize(120, 60);
    // The panes only show pages: they stay out of the keyboard's focus chain.
    setFocusPolicy(Qt::NoFocus);
}

void WebPane::Load(const QUrl& address) {
    address_ = address;
    if (view_) view_->load(address_);
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
    view_->settings()->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    layout()->addWidget(view_);
    // A page that could not be loaded is the pane's to handle, not the
    // browser's error page; a load the pane has moved on from is not.
    connect(view_->page(), &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo& info) {
                if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus) return;
                if (info.url() != address_ || !loadFailed_) return;
                loadFailed_(address_);
            });
    if (!address_.isEmpty()) view_->load(address_);
}

} // namespace qtview
