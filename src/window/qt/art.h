// The window's own pictures, drawn rather than shipped: the tree's four
// images, the up and down arrows, the application icon and the About bitmap.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace art {

// 1 closed theme, 2 open theme, 3 module, 4 selected module (16 x 16).
QPixmap TreeImage(int index);
// The same image with the mark of the module on the desktop: a green disc
// with a white tick in its lower right corner.
QPixmap OnDesktopImage(int index);
// The arrow of cmdUp or cmdDown (13 x 8), normal, pressed or disabled.
QIcon Arrow(bool up);
// The application icon (32 x 32 and larger).
QIcon AppIcon();
QPixmap AppIconPixmap(int size);
// The animation player's mark of the About tab (100 x 28).
QPixmap PlayerBitmap();

} // namespace art
