// The desktop's windows on X11, and whether the desktop can be seen: the
// windows of other programs may together cover a screen, the screen saver
// may be on or the monitor off.
#pragma once

#include <QRect>
#include <QRegion>
#include <QSet>

namespace host {

// Waits up to the time given for the X server of $DISPLAY to take a
// connection; false when it never did.
bool WaitForDisplay(int milliseconds);

// Where the windows that are not ours, and are shown, lie (screen
// coordinates, in device pixels); empty where the window system cannot be
// asked. Asked once for all screens.
QRegion OtherWindows(const QSet<quintptr>& ours);

// True when those windows together cover all but a sliver of the screen.
bool Covers(const QRegion& windows, const QRect& screen);

// True while the screen saver is on or the monitor is off (DPMS).
bool DisplayAsleep();

// Makes a native window, before it is first shown, the desktop: of the
// desktop type alone, in no task bar or pager, below every other window.
void MakeDesktopWindow(quintptr window);
// Once shown (Qt writes its own states when it shows a window): the states
// again, through the window manager when there is one.
void KeepDesktopStates(quintptr window);

} // namespace host
