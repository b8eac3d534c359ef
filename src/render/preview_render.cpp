#include "render/preview_render.h"

#include "host/page_script.h"
#include "package/manifest.h"
#include "platform/text.h"
#include "sandbox/app_address.h"
#include "sandbox/app_scheme.h"
#include "sandbox/profiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtGlobal>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace pages {
extern const char kToyPreview[];
}

namespace render {

namespace {

// A text as a JavaScript string literal that is safe inside a page's
// script: nothing in it can end the string or the script element.
QString ScriptString(const QString& text) {
    QString out = "'";
    for (QChar c : text) {
        if (c == '\\' || c == '\'' || c == '<' || c == '>' || c == '&' || c.unicode() < 0x20 ||
            c.unicode() == 0x2028 || c.unicode() == 0x2029)
            out += QString("\\u%1").arg(c.unicode(), 4, 16, QChar('0'));
        else
            out += c;
    }
    return out + "'";
}

// A page that shows one toy (src/pages/toy_preview.htm).
QString ToyPage(const QString& toy) {
    return QString::fromStdString(
        platform::FillFields(pages::kToyPreview, {{"TOY", ScriptString(toy).toStdString()}}));
}

bool Save(const QImage& picture, const QString& output) {
    QDir().mkpath(QFileInfo(output).path());
    if (picture.convertToFormat(QImage::Format_RGB888).save(output)) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
    return false;
}

} // namespace

struct PreviewRenderer::Impl {
    QString root;
    QObject owner; // of the profile and scheme, which must outlive the view's page
    sandbox::AppSchemeHandler* scheme = nullptr;
    QWebEngineView view;

    // Loads the url (or html with url as its base) and waits for the page's
    // toyz to be placed and its animations under way.
    bool Load(const QUrl& url, const QString& html, const QString& what) {
        bool loaded = false, ok = false;
        auto c = QObject::connect(view.page(), &QWebEnginePage::loadFinished, [&](bool good) {
            loaded = true;
            ok = good;
        });
        if (html.isEmpty())
            view.load(url);
        else
            view.setHtml(html, url);
        host::WaitUntil([&] { return loaded; }, 15000);
        QObject::disconnect(c);
        auto ready = [&] {
            return host::Evaluate(view.page(),
                                  "document.documentElement.dataset.zelkora === 'ready'")
                .value_or(false)
                .toBool();
        };
        if (!ok || !host::WaitUntil(ready, 10000)) {
            std::fprintf(stderr, "%s did not load\n", qPrintable(what));
            return false;
        }
        host::Pause(1200); // the animations under way, the frames on the screen
        return true;
    }
};

PreviewRenderer::PreviewRenderer(const QString& root) : impl_(std::make_unique<Impl>()) {
    impl_->root = root;
    impl_->scheme = new sandbox::AppSchemeHandler(&impl_->owner);
    impl_->scheme->SetRoot(root.toStdString());
    QWebEngineProfile* profile = sandbox::NewInstalledPagesProfile(impl_->scheme, &impl_->owner);
    impl_->view.setPage(new QWebEnginePage(profile, &impl_->view));
    impl_->view.setAttribute(Qt::WA_DontShowOnScreen);
    impl_->view.show();
}

PreviewRenderer::~PreviewRenderer() = default;

bool PreviewRenderer::Still(const QString& address, const QString& output, QSize size) {
    impl_->view.resize(size);
    if (!impl_->Load(QUrl(address), {}, address)) return false;
    host::Evaluate(impl_->view.page(),
                   "document.querySelectorAll('.zelkora-slot').forEach(e => e.remove()); true");
    host::Pause(200);
    return Save(impl_->view.grab().toImage(), output);
}

bool PreviewRenderer::Page(const QString& page, const QString& output, QSize view, QSize picture) {
    impl_->view.resize(view);
    sandbox::Address address =
        sandbox::AddressOf(impl_->root.toStdString(), (impl_->root + "/" + page).toStdString());
    if (address.url.empty()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(page), address.problem.c_str());
        return false;
    }
    if (!impl_->Load(QUrl(QString::fromStdString(address.url)), {}, page)) return false;
    return Save(impl_->view.grab().toImage().scaled(picture, Qt::IgnoreAspectRatio,
                                                    Qt::SmoothTransformation),
                output);
}

bool PreviewRenderer::Toy(const QString& toy, const QString& output, QSize picture) {
    impl_->view.resize(320, 240);
    QUrl base(QString(sandbox::kScheme) + "://app/preview.htm");
    if (!impl_->Load(base, ToyPage(toy), toy)) return false;
    // The toy itself with a margin of the page around it, whole.
    QVariantList r =
        host::Evaluate(impl_->view.page(),
                       "(() => { const b = document.querySelector('iframe.zelkora-toy')"
                       ".getBoundingClientRect(); return [b.left, b.top, b.width, b.height]; })()")
            .value_or(QVariant())
            .toList();
    QRect area;
    if (r.size() == 4) area = QRect(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt());
    area = area.adjusted(-8, -8, 8, 8).intersected(impl_->view.rect());
    return Save(impl_->view.grab(area).toImage().scaled(picture, Qt::KeepAspectRatio,
                                                        Qt::SmoothTransformation),
                output);
}

void Prepare(bool offscreen) {
    if (offscreen && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The sandbox refuses to start as root (containers, CI).
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    // The browser's start-up notes are not the tool's to print: only what
    // goes wrong is.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QString runtime = QDir::tempPath() + "/zelkora-runtime-" + QString::number(::getuid());
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    sandbox::SetBrowserSwitches(false, {"--log-level=3"});
    sandbox::RegisterAppScheme();
}

bool ClearBindings(const QString& root) {
    QFile binding(root + "/ZelToyz/ZelToyz.txt"), options(root + "/themes/options.txt");
    QDir().mkpath(root + "/ZelToyz");
    QDir().mkpath(root + "/themes");
    if (!binding.open(QIODevice::WriteOnly) || !options.open(QIODevice::WriteOnly)) return false;
    binding.write("&\r\n");
    options.write("&utilTransparency=0&\r\n");
    return true;
}

bool RenderItemPreview(const std::string& appFolder, const std::string& itemFolder,
                       const package::Manifest& m, const std::string& output) {
    QTemporaryDir work;
    if (!work.isValid()) return false;
    fs::path root = work.path().toStdString();
    std::error_code ec;
    // The shared files a page may read: the top folder's, Modules' and the theme's.
    auto copyFiles = [&](const fs::path& from, const fs::path& to) {
        fs::create_directories(to, ec);
        for (const auto& entry : fs::directory_iterator(from, ec))
            if (entry.is_regular_file())
                fs::copy_file(entry.path(), to / entry.path().filename(), ec);
    };
    copyFiles(appFolder, root);
    fs::path item;
    if (m.kind == package::Manifest::Module) {
        copyFiles(fs::path(appFolder) / "Modules", root / "Modules");
        copyFiles(fs::path(appFolder) / "Modules" / m.themeKey, root / "Modules" / m.themeKey);
        item = root / "Modules" / m.themeKey / m.key;
    } else {
        item = root / "ZelToyz" / m.name;
    }
    fs::create_directories(item.parent_path(), ec);
    fs::copy(itemFolder, item, fs::copy_options::recursive, ec);
    if (ec || !ClearBindings(work.path())) return false;
    PreviewRenderer renderer(work.path());
    QString out = QString::fromStdString(output);
    if (m.kind == package::Manifest::Toy) return renderer.Toy(QString::fromStdString(m.name), out);
    QString page = QString::fromStdString(
        fs::relative(item / package::EntryPageName(m), root).generic_string());
    return renderer.Page(page, out);
}

} // namespace render
