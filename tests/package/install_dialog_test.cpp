// The installer's dialog on the offscreen platform: it shows what a package
// holds, installs it with Install, and says what to do next.
#include "install_dialog.h"
#include "support/test_support.h"

#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;

QString Texts(QDialog& dialog) {
    QString all;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        all += label->text() + "\n";
    return all;
}

QPushButton* Button(QDialog& dialog, const QString& text) {
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

TEST(InstallDialog, ShowsThePackageInstallsItAndSaysWhatNext) {
    TempPrefix prefix;
    std::string out;
    ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-demo", &out), 0) << out;
    // A demo module uninstalled, then its package opened as from the file manager.
    std::string app = prefix.path("drive_c/Program Files/Zelkora/");
    ASSERT_EQ(RunCommand(ToolsDir() + "/zelkora-catalogue remove-module " +
                         ShellQuote(app + "Data/Zelkora.mdb") + " Autumn"),
              0);
    ASSERT_EQ(RunCommand(ShellQuote(app + "Modules/Seasons/Autumn/setup.exe") + " /uninst"), 0);
    installer::Request request;
    request.file = ToolsDir() + "/../demo-packages/Autumn.zelkora";
    auto dialog = installer::NewDialog(request);
    dialog->show();
    QString shown = Texts(*dialog);
    for (const char* text : {"Autumn Leaves", "Module", "Four Seasons", "Zelkora Software", "1.0",
                             "no network"})
        EXPECT_TRUE(shown.contains(text)) << text << "\n" << shown.toStdString();
    QPushButton* install = Button(*dialog, "Install");
    ASSERT_TRUE(install && install->isEnabled());
    QTest::mouseClick(install, Qt::LeftButton);
    QTest::qWait(100);
    EXPECT_TRUE(Texts(*dialog).contains(
        "Autumn Leaves is installed. Press Refresh List in Zelkora Manager."))
        << Texts(*dialog).toStdString();
    EXPECT_TRUE(FileExists(app + "Modules/Seasons/Autumn/ZKRAutumn.htm"));
    if (const char* shots = std::getenv("ZELKORA_SCREENSHOTS"))
        dialog->grab().save(QString(shots) + "/13-install-dialog.png");
    QTest::mouseClick(Button(*dialog, "Close"), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);

    // The same package again: it cannot be installed, and says why.
    auto again = installer::NewDialog(request);
    EXPECT_FALSE(Button(*again, "Install")->isEnabled());
    EXPECT_TRUE(Texts(*again).contains("is installed; this package is version 1.0"));

    // A picture dropped on it becomes a module of "My Desktop".
    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QString file = QString::fromStdString(prefix.dir()) + "-beach.png";
    ASSERT_TRUE(picture.save(file));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    again->show();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(again.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(again.get(), &drop);
    EXPECT_TRUE(Texts(*again).contains("Module (made from " + QFileInfo(file).fileName() + ")"))
        << Texts(*again).toStdString();
    QTest::mouseClick(Button(*again, "Install"), Qt::LeftButton);
    EXPECT_TRUE(Texts(*again).contains("is installed. Press Refresh List")) << Texts(*again).toStdString();
    std::string out2;
    RunCommand(ToolsDir() + "/zelkora-catalogue list " + ShellQuote(app + "Data/Zelkora.mdb") + " themes",
               &out2);
    EXPECT_NE(out2.find("MyDesktop\tMy Desktop"), std::string::npos) << out2;
    QFile::remove(file);
}

} // namespace
