// A web pane that costs nothing until it is seen: its browser is made the
// first time the pane is shown (its tab opened), once the window has been
// painted, and then loads the last address it was given.
#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>

class QWebEngineView;

namespace qtview {

class WebPane : public QWidget {
    Q_OBJECT

  public:
    explicit WebPane(QWidget* parent = nullptr);
    // Loads at once when the browser exists, else when it is made.
    void Load(const QUrl& address);
    // Called with an address that could not be loaded (not for a load that
    // a newer one replaced).
    void SetLoadFailed(std::function<void(const QUrl&)> handler) { loadFailed_ = std::move(handler); }
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
    QWebEngineView* view_ = nullptr;
    bool ready_ = false;
    QUrl address_;
    std::function<void(const QUrl&)> loadFailed_;
};

} // namespace qtview
