// Whether another program's window covers a whole screen (a full-screen
// player or game), so that the desktop under it cannot be seen.
#pragma once

#include <QRect>
#include <QSet>

namespace host {

// True when a window that is not one of ours, and is shown, covers the
// rectangle (screen coordinates, in device pixels). False where the window
// system cannot be asked.
bool CoveredByAnotherWindow(const QRect& screen, const QSet<quintptr>& ours);

} // namespace host
