// zelkora-demo-render: makes the demo's preview pictures from the real
// pages. Each module page is rendered on the desktop's web profile, without
// toyz and fully opaque, and scaled to a preview; each toy is rendered alone
// on a page that mounts it through zelkora.js. Runs on the offscreen platform.
#include "host/page_script.h"
#include "sandbox/app_address.h"
#include "sandbox/app_scheme.h"
#include "sandbox/profiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

struct Job {
    QString page;   // under the content folder
    QString output; // under the output folder
    QSize view, picture;
    QString html; // a page of its own instead (toy previews), with page as its base
};

bool Render(QWebEngineView& view, const QString& root, const QString& out, const Job& job) {
    view.resize(job.view);
    QUrl url(QString::fromStdString(
        sandbox::AddressOf(root.toStdString(), (root + "/" + job.page).toStdString()).url));
    if (!job.html.isEmpty()) url = QUrl(QString(sandbox::kScheme) + "://app/" + job.page);
    bool loaded = false, ok = false;
    auto c = QObject::connect(view.page(), &QWebEnginePage::loadFinished, [&](bool good) {
        loaded = true;
        ok = good;
    });
    if (job.html.isEmpty())
        view.load(url);
    else
        view.setHtml(job.html, url);
    host::WaitUntil([&] { return loaded; }, 15000);
    QObject::disconnect(c);
    auto ready = [&] {
        return host::Evaluate(view.page(), "document.documentElement.dataset.zelkora === 'ready'")
            .value_or(false)
            .toBool();
    };
    if (!ok || !host::WaitUntil(ready, 10000)) {
        std::fprintf(stderr, "zelkora-demo-render: %s did not load\n", qPrintable(job.page));
        return false;
    }
    host::Pause(1200); // the animations under way, the frames on the screen
    QImage picture;
    if (job.html.isEmpty()) {
        picture = view.grab().toImage().scaled(job.picture, Qt::IgnoreAspectRatio,
                                               Qt::SmoothTransformation);
    } else {
        // A toy: the toy itself with a margin of the page around it, whole.
        QRect toy;
        QVariantList r =
            host::Evaluate(
                view.page(),
                "(() => { const b = document.querySelector('iframe.zelkora-toy').getBoundingClientRect();"
                " return [b.left, b.top, b.width, b.height]; })()")
                .value_or(QVariant())
                .toList();
        if (r.size() == 4) toy = QRect(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt());
        QRect area = toy.adjusted(-8, -8, 8, 8).intersected(view.rect());
        picture = view.grab(area).toImage().scaled(job.picture, Qt::KeepAspectRatio,
                                                   Qt::SmoothTransformation);
    }
    picture = picture.convertToFormat(QImage::Format_RGB888);
    QString file = out + "/" + job.output;
    QDir().mkpath(QFileInfo(file).path());
    if (!picture.save(file)) {
        std::fprintf(stderr, "zelkora-demo-render: cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

// A page that shows one toy, on the colours of the standard look.
QString ToyPage(const QString& toy) {
    return "<!DOCTYPE html><html data-zelkora=\"manual\"><head><meta charset=\"utf-8\">"
           "<link rel=\"stylesheet\" href=\"zelkora.css\"><style>body{background:"
           "linear-gradient(135deg,#1d4f8a,#0c2547)}#t{position:absolute;left:16px;top:16px;"
           "width:240px}</style><script src=\"zelkora.js\"></script></head><body><div id=\"t\">"
           "</div><script>Zelkora.mount(" +
           QString("'%1'").arg(QString(toy).replace("'", "\\'")) +
           ", document.getElementById('t')).then(function (el) {"
           " if (el) document.documentElement.dataset.zelkora = 'ready'; });</script>"
           "</body></html>";
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The sandbox refuses to start as root (containers, CI).
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    sandbox::SetBrowserSwitches();
    sandbox::RegisterAppScheme();
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: zelkora-demo-render CONTENT-FOLDER OUTPUT-FOLDER\n");
        return 2;
    }
    // A copy of the content with nothing bound and nothing transparent.
    QTemporaryDir work;
    QString root = work.path() + "/app";
    std::error_code copied;
    std::filesystem::copy(argv[1], root.toStdString(), std::filesystem::copy_options::recursive,
                          copied);
    if (!work.isValid() || copied) {
        std::fprintf(stderr, "zelkora-demo-render: cannot copy %s\n", argv[1]);
        return 1;
    }
    QFile binding(root + "/ZelToyz/ZelToyz.txt"), options(root + "/themes/options.txt");
    if (!binding.open(QIODevice::WriteOnly) || !options.open(QIODevice::WriteOnly)) return 1;
    binding.write("&\r\n");
    options.write("&utilTransparency=0&\r\n");
    binding.close();
    options.close();

    std::vector<Job> jobs;
    QDir modules(root + "/Modules");
    for (const QString& theme : modules.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        for (const QString& module :
             QDir(modules.filePath(theme)).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QString dir = "Modules/" + theme + "/" + module;
            for (const QString& page : QDir(root + "/" + dir).entryList({"ZKR*.htm"}, QDir::Files))
                jobs.push_back(
                    {dir + "/" + page, dir + "/preview.png", {960, 600}, {240, 150}, {}});
        }
    for (const QString& toy : QDir(root + "/ZelToyz").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        jobs.push_back({"preview.htm",
                        "ZelToyz/" + toy + "/preview.png",
                        {320, 240},
                        {120, 90},
                        ToyPage(toy)});
    // The classic wallpaper the Manager puts back: a rendering of a module.
    jobs.push_back(
        {"Modules/Space/Starfield/ZKRStarfield.htm", "zelkora.bmp", {800, 500}, {640, 400}, {}});

    // The pages as the desktop runs them: on the application scheme, rooted
    // at the copy.
    auto* scheme = new sandbox::AppSchemeHandler(&app);
    scheme->SetRoot(root.toStdString());
    QWebEngineProfile* profile = sandbox::NewInstalledPagesProfile(scheme, &app);
    QWebEngineView view;
    view.setPage(new QWebEnginePage(profile, &view));
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    QString out = QString::fromLocal8Bit(argv[2]);
    int failed = 0;
    for (const Job& job : jobs)
        failed += !Render(view, root, out, job);
    std::printf("zelkora-demo-render: %zu pictures in %s\n", jobs.size() - failed, argv[2]);
    return failed ? 1 : 0;
}
