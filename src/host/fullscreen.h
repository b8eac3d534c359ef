// Whether another program's window covers a whole screen (a full-screen
// player or game), so that the desktop under it cannot be seen.
#pragma once

#include <QRect>
#include <QSet>

namespace host {

// Waits up to the time given for the X server of $DISPLAY to take a
// connection; false when it never did.
bool WaitForDisplay(int milliseconds);

// True when a window that is not one of ours, and is shown, covers the
// rectangle (screen coordinates, in device pixels). False where the window
// system cannot be asked.
bool CoveredByAnotherWindow(const QRect& screen, const QSet<quintptr>& ours);

} // namespace host
