// Message boxes of the program's styles, answering as the port expects.
#pragma once

#include <QImage>
#include <functional>
#include <vector>

class QWidget;

namespace qtview {

// Installs the Qt message box as the program's message-box port.
void InstallMessageBoxes();

// Called before each box is shown, so that the window shows what the logic
// did before the box (a minimised window is minimised first).
void SetBeforeMessageBox(std::function<void()> hook);

// Unattended runs (a picture is asked for through ZELKORA_SCREENSHOT): each
// box is printed on standard output, stays up for a moment, is captured and
// then answered as closing it would answer, so that the run never waits for
// a user who is not there. These are the pictures of the boxes so far.
const std::vector<QImage>& CapturedMessageBoxes();

} // namespace qtview
