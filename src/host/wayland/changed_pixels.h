// Where a window's canvas differs from what the compositor last showed. Qt
// repaints the whole web view on every frame the page draws, however little
// of it moved; sending the compositor only the pixels that did change spares
// it (and the copy into its buffer) the rest.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>

namespace host::wayland {

// The rectangles of `within` (in `before`'s pixels) where `now`, read from
// `at` on, differs from `before`; rows that change together make one
// rectangle as wide as their changes. Both images hold 32-bit pixels.
QRegion ChangedPixels(const QImage& now, QPoint at, const QImage& before, const QRegion& within);

} // namespace host::wayland
