#include "window/qt/message_box.h"

#include "runtime/msgbox.h"
#include "window/qt/art.h"

#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace qtview {

namespace {

std::function<void()>& BeforeHook() {
    static std::function<void()> hook;
    return hook;
}

std::vector<QImage>& Captured() {
    static std::vector<QImage> images;
    return images;
}

const char* ShotFile() {
    const char* shot = std::getenv("ZELKORA_SCREENSHOT");
    return shot && *shot ? shot : nullptr;
}

// Prints the box, and after a moment saves its picture and closes it.
void AnswerUnattended(QMessageBox& box, const std::string& text, const std::string& title) {
    std::printf("message box [%s]: %s\n", title.c_str(), text.c_str());
    std::fflush(stdout);
    QTimer::singleShot(1200, &box, [&box] {
        // The box's face under a strip with its title (the frame with the
        // title bar belongs to the window manager and is not in the grab).
        QImage face = box.grab().toImage();
        QImage picture(face.width(), face.height() + 24, QImage::Format_RGB32);
        picture.fill(QColor(40, 70, 130));
        {
            QPainter g(&picture);
            g.setPen(Qt::white);
            g.drawText(QRect(8, 0, face.width() - 16, 24), Qt::AlignVCenter | Qt::AlignLeft,
                       box.windowTitle());
            g.drawImage(0, 24, face);
        }
        Captured().push_back(picture);
        // Saved at once too: the answer may end the program before the
        // window's own picture is taken.
        picture.save(QString::fromLocal8Bit(ShotFile()));
        std::printf("screenshot %s\n", ShotFile());
        std::fflush(stdout);
        box.reject();
    });
}

} // namespace

void SetBeforeMessageBox(std::function<void()> hook) {
    BeforeHook() = std::move(hook);
}

const std::vector<QImage>& CapturedMessageBoxes() {
    return Captured();
}

void InstallMessageBoxes() {
    SetMsgBoxHandler([](const std::string& text, int style, const std::string& title) {
        if (auto& hook = BeforeHook()) hook();
        // A box over a minimised window would be hidden with it, or bring it
        // back: it stands on its own then.
        QWidget* parent = QApplication::activeWindow();
        if (parent && parent->isMinimized()) parent = nullptr;
        QMessageBox box(parent);
        box.setWindowTitle(QString::fromStdString(title));
        box.setText(QString::fromStdString(text));
        box.setWindowIcon(art::AppIcon());
        switch (style & 0xF0) {
        case vbCritical:
            box.setIcon(QMessageBox::Critical);
            break;
        case vbQuestion:
            box.setIcon(QMessageBox::Question);
            break;
        case vbExclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case vbInformation:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            box.setIcon(QMessageBox::NoIcon);
        }
        switch (style & 0x0F) {
        case vbOKCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel); // closing the box is Cancel
            break;
        case vbYesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
        }
        if (ShotFile()) AnswerUnattended(box, text, title);
        int r = box.exec();
        switch (r) {
        case QMessageBox::Ok:
            return vbOK;
        case QMessageBox::Yes:
            return vbYes;
        case QMessageBox::No:
            return vbNo;
        default:
            return (style & 0x0F) == vbYesNo      ? vbNo
                   : (style & 0x0F) == vbOKCancel ? vbCancel
                                                  : vbOK;
        }
    });
}

} // namespace qtview
