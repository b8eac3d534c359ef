// The application scheme in the browser: the installation, read-only, each
// module and toy in an origin of its own (see app_address.h), and each toy's
// stored text, kept in the prefix and written at once.
#pragma once

#include <QWebEngineUrlSchemeHandler>
#include <string>

namespace sandbox {

// Makes the scheme known to the browser; before the application object.
void RegisterAppScheme();

class AppSchemeHandler : public QWebEngineUrlSchemeHandler {
  public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    // The native application folder that is served ("" serves nothing).
    void SetRoot(const std::string& nativeRoot) { root_ = nativeRoot; }
    const std::string& Root() const { return root_; }
    void requestStarted(QWebEngineUrlRequestJob* job) override;

  private:
    std::string root_;
};

// The frame rate imported wallpapers' pages are told to keep (their own
// programs let the user choose one; a desktop that rests is worth more).
inline constexpr int kWallpaperFps = 30;

// What a toy may store in all: the text of its keys and values.
inline constexpr qsizetype kToyDataQuota = 256 * 1024;

} // namespace sandbox
