// What the Wayland flush tells the compositor: only where the canvas differs
// from the buffer shown last, banded, wherever in a row the change lies.
#include "host/wayland/changed_pixels.h"

#include <QColor>
#include <gtest/gtest.h>
#include <vector>

namespace {

using host::wayland::ChangedPixels;

TEST(ChangedPixels, FindsWhatDiffersAndNothingElse) {
    // 37 pixels a row: changes at a row's ends fall outside whole blocks.
    const QSize size(37, 20);
    struct Case {
        const char* what;
        QPoint at;                 // where the part lies on the canvas
        std::vector<QPoint> moved; // pixels changed on the canvas (part coordinates)
        QRegion within;            // what Qt repainted (empty: all of it)
        std::vector<QRect> expect;
    } cases[] = {
        {"nothing changed", {}, {}, {}, {}},
        {"one pixel", {}, {{5, 3}}, {}, {{5, 3, 1, 1}}},
        {"a row's last pixel", {}, {{36, 0}}, {}, {{36, 0, 1, 1}}},
        {"a row's first and last", {}, {{0, 7}, {36, 7}}, {}, {{0, 7, 37, 1}}},
        {"rows that change together make one band", {}, {{4, 2}, {20, 3}, {9, 4}}, {}, {{4, 2, 17, 3}}},
        {"an unchanged row parts two bands", {}, {{4, 2}, {20, 4}}, {}, {{4, 2, 1, 1}, {20, 4, 1, 1}}},
        {"only within what was repainted", {}, {{1, 1}, {30, 15}}, QRegion(0, 10, 37, 10), {{30, 15, 1, 1}}},
        {"a part further on the canvas", {50, 4}, {{0, 0}, {36, 19}}, {}, {{0, 0, 1, 1}, {36, 19, 1, 1}}},
    };
    for (const Case& c : cases) {
        QImage before(size, QImage::Format_RGB32);
        before.fill(QColor(0x22, 0x44, 0x66));
        QImage now(before.width() + c.at.x() + 3, before.height() + c.at.y() + 2, QImage::Format_RGB32);
        now.fill(Qt::red); // what lies outside the part must not count
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                now.setPixel(c.at + QPoint(x, y), before.pixel(x, y));
        for (QPoint p : c.moved)
            now.setPixel(c.at + p, qRgb(255, 255, 255));
        QRegion within = c.within.isEmpty() ? QRegion(before.rect()) : c.within;
        QRegion got = ChangedPixels(now, c.at, before, within);
        QRegion expect;
        for (const QRect& r : c.expect)
            expect += r;
        EXPECT_EQ(got, expect) << c.what;
    }
}

TEST(ChangedPixels, AWholeChangeIsTheWholeRectangle) {
    QImage before(1280, 8, QImage::Format_RGB32), now(1280, 8, QImage::Format_RGB32);
    before.fill(Qt::black);
    now.fill(Qt::white);
    EXPECT_EQ(ChangedPixels(now, {}, before, QRegion(before.rect())), QRegion(before.rect()));
}

} // namespace
