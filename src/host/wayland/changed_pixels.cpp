#include "host/wayland/changed_pixels.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace host::wayland {

namespace {

// memcmp finds a difference at its own speed, a whole row at a time; only
// the block that holds a row's first or last change is searched pixel by pixel.
constexpr int kBlock = 64;

// The first and last pixel where two rows of n pixels differ, or false.
bool Differ(const uint32_t* a, const uint32_t* b, int n, int& first, int& last) {
    if (std::memcmp(a, b, size_t(n) * 4) == 0) return false;
    int i = 0;
    while (std::memcmp(a + i, b + i, size_t(std::min(kBlock, n - i)) * 4) == 0)
        i += kBlock;
    while (a[i] == b[i])
        ++i;
    first = i;
    int j = n;
    for (int from = std::max(first, j - kBlock); std::memcmp(a + from, b + from, size_t(j - from) * 4) == 0;
         from = std::max(first, j - kBlock))
        j = from;
    do
        --j;
    while (a[j] == b[j]);
    last = j;
    return true;
}

} // namespace

QRegion ChangedPixels(const QImage& now, QPoint at, const QImage& before, const QRegion& within) {
    QRegion changed;
    for (const QRect& r : within & before.rect()) {
        // A band of changed rows, as wide as the changes in it.
        int top = -1, left = 0, right = 0;
        auto close = [&](int bottom) {
            if (top >= 0) changed += QRect(QPoint(r.left() + left, top), QPoint(r.left() + right, bottom));
            top = -1;
        };
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const auto* a = reinterpret_cast<const uint32_t*>(now.constScanLine(at.y() + y)) + at.x() + r.left();
            const auto* b = reinterpret_cast<const uint32_t*>(before.constScanLine(y)) + r.left();
            int first, last;
            if (!Differ(a, b, r.width(), first, last)) {
                close(y - 1);
                continue;
            }
            if (top < 0) {
                top = y, left = first, right = last;
            } else {
                left = std::min(left, first), right = std::max(right, last);
            }
        }
        close(r.bottom());
    }
    return changed;
}

} // namespace host::wayland
