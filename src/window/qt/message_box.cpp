#include "window/qt/message_box.h"

#include "runtime/msgbox.h"
#include "window/qt/art.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace qtview {

void InstallMessageBoxes() {
    SetMsgBoxHandler([](const std::string& text, int style, const std::string& title) {
        QMessageBox box(QApplication::activeWindow());
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
