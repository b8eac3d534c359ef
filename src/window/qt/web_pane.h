// A web pane that costs nothing until it is seen: its browser is made the
// first time the pane is shown (its tab opened), once the window has been
// painted, and then loads the last address it was given. Pages of the
// installation run in the sandbox of installed pages; web addresses (the
// vendor's banner) on a profile of their own.
#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>
#include <string>

class QWebEngineView;

namespace sandbox {
class LockedPage;
}

namespace qtview {

// The address a pane loads for what the window navigates to: a page of the
// installation (a Windows or native path) under the application scheme, a
// web address as it is.
QUrl PaneUrl(const std::string& address);

class WebPane : public QWidget {
    Q_OBJECT

  public:
    explicit WebPane(QWidget* parent = nullptr);
    // Loads at once when the browser exists, else when it is made.
    void Load(const QUrl& address);
    // Called with an address that could not be loaded (not for a load that
    // a newer one replaced).
    void SetLoadFailed(std::function<void(const QUrl&)> handler) { loadFailed_ = std::move(handler); }
    // Panes that show documents (the copyright pages) run no scripts.
    void SetScripts(bool on) { scripts_ = on; }
    // The window has been painted: a pane shown now gets its browser (pages
    // load after the first paint in any case, so the window is not kept
    // waiting for the web engine).
    void SetReady();
    // The browser, or null while the pane has never been shown.
    QWebEngineView* View() const { return view_; }
    const QUrl& Address() const { return address_; }

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void MakeView();
    void Show();
    QWebEngineView* view_ = nullptr;
    sandbox::LockedPage* page_ = nullptr;
    bool ready_ = false;
    bool scripts_ = true;
    QUrl address_;
    std::function<void(const QUrl&)> loadFailed_;
};

} // namespace qtview
