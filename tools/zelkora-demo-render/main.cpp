// zelkora-demo-render: makes the demo's preview pictures from the real
// pages: each module page, each toy, and the classic wallpaper the Manager
// puts back (a rendering of a module).
#include "render/preview_render.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    render::Prepare();
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
    if (!work.isValid() || copied || !render::ClearBindings(root)) {
        std::fprintf(stderr, "zelkora-demo-render: cannot copy %s\n", argv[1]);
        return 1;
    }
    render::PreviewRenderer renderer(root);
    QString out = QString::fromLocal8Bit(argv[2]);
    int made = 0, failed = 0;
    auto count = [&](bool ok) { ok ? ++made : ++failed; };
    QDir modules(root + "/Modules");
    for (const QString& theme : modules.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        for (const QString& module :
             QDir(modules.filePath(theme)).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QString dir = "Modules/" + theme + "/" + module;
            for (const QString& page : QDir(root + "/" + dir).entryList({"ZKR*.htm"}, QDir::Files))
                count(renderer.Page(dir + "/" + page, out + "/" + dir + "/preview.png"));
        }
    for (const QString& toy : QDir(root + "/ZelToyz").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        count(renderer.Toy(toy, out + "/ZelToyz/" + toy + "/preview.png"));
    count(renderer.Page("Modules/Space/Starfield/ZKRStarfield.htm", out + "/zelkora.bmp", {800, 500},
                        {640, 400}));
    std::printf("zelkora-demo-render: %d pictures in %s\n", made, argv[2]);
    return failed ? 1 : 0;
}
