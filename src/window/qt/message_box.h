// Message boxes of the program's styles, answering as the port expects.
#pragma once

class QWidget;

namespace qtview {

// Installs the Qt message box as the program's message-box port.
void InstallMessageBoxes();

} // namespace qtview
