// A page that shows one address and does nothing else a stranger's page
// might try: it goes nowhere else, opens no window, shows no dialog or file
// chooser, gets no permission, no full screen.
#pragma once

#include <QUrl>
#include <QWebEnginePage>

namespace sandbox {

class LockedPage : public QWebEnginePage {
    Q_OBJECT

  public:
    LockedPage(QWebEngineProfile* profile, QObject* parent);
    // Loads the address; the page may then go to it again (a reload), never elsewhere.
    void Show(const QUrl& address);
    const QUrl& Address() const { return address_; }
    // For documents: no scripts at all.
    void SetScripts(bool on);

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl& origin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& msg, const QString& defaultValue,
                          QString* result) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                            const QStringList& acceptedMimeTypes) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override;

  private:
    QUrl address_;
};

} // namespace sandbox
