// A web pane that costs nothing until it is seen: its browser is made the
// first time the pane is shown (its tab opened), and then loads the last
// address it was given.
#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>

class QWebEngineView;

namespace qtview {

class WebPane : public QWidget {
  public:
    explicit WebPane(QWidget* parent = nullptr);
    // Loads at once when the browser exists, else when it is made.
    void Load(const QUrl& address);
    // Called with an address that could not be loaded (not for a load that
    // a newer one replaced).
    void SetLoadFailed(std::function<void(const QUrl&)> handler) { loadFailed_ = std::move(handler); }
    // The browser, or null while the pane has never been shown.
    QWebEngineView* View() const { return view_; }
    const QUrl& Address() const { return address_; }

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void MakeView();
    QWebEngineView* view_ = nullptr;
    QUrl address_;
    std::function<void(const QUrl&)> loadFailed_;
};

} // namespace qtview
