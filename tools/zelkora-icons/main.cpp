// zelkora-icons: writes the application's icon, drawn by the Manager's own
// art, as the PNG sizes of the hicolor theme (run by the build):
//   zelkora-icons OUTPUT-FOLDER   ->  OUTPUT-FOLDER/NxN/apps/zelkora-manager.png
#include "window/qt/art.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelkora-icons OUTPUT-FOLDER\n");
        return 2;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QString dir = QString("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(dir) || !art::AppIconPixmap(size).save(dir + "/zelkora-manager.png")) {
            std::fprintf(stderr, "zelkora-icons: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
