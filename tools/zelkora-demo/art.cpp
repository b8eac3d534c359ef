#include "art.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace demo {

void Canvas::Blend(int x, int y, Rgb c, double a) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    Rgb& p = at(x, y);
    p = {p.r + (c.r - p.r) * a, p.g + (c.g - p.g) * a, p.b + (c.b - p.b) * a};
}

void Canvas::Disc(double cx, double cy, double radius, Rgb c, double alpha) {
    for (int y = static_cast<int>(cy - radius - 1); y <= cy + radius + 1; ++y)
        for (int x = static_cast<int>(cx - radius - 1); x <= cx + radius + 1; ++x) {
            double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            double cover = std::clamp(radius + 0.5 - d, 0.0, 1.0);
            if (cover > 0) Blend(x, y, c, cover * alpha);
        }
}

std::string Canvas::Bmp() const {
    int row = (w_ * 3 + 3) / 4 * 4;
    uint32_t size = static_cast<uint32_t>(54 + row * h_);
    std::string b(size, '\0');
    auto put32 = [&b](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w_));
    put32(22, static_cast<uint32_t>(h_));
    b[26] = 1;
    b[28] = 24;
    put32(34, static_cast<uint32_t>(row * h_));
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            const Rgb& p = px_[static_cast<size_t>((h_ - 1 - y) * w_ + x)];
            size_t at = 54 + static_cast<size_t>(y * row + x * 3);
            auto byte = [](double v) {
                return static_cast<char>(
                    static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)));
            };
            b[at] = byte(p.b);
            b[at + 1] = byte(p.g);
            b[at + 2] = byte(p.r);
        }
    return b;
}

namespace {

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void Gradient(Canvas& c, Rgb top, Rgb bottom) {
    for (int y = 0; y < c.h(); ++y)
        for (int x = 0; x < c.w(); ++x)
            c.at(x, y) = Mix(top, bottom, y / double(c.h() - 1));
}

} // namespace

Canvas Scene(const std::string& style, int w, int h, unsigned seed) {
    Canvas c(w, h);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0, 1);
    if (style == "waves" || style == "reef" || style == "deep") {
        Rgb sky = style == "deep" ? Rgb{0.02, 0.05, 0.2} : Rgb{0.55, 0.8, 0.97};
        Rgb sea = style == "deep" ? Rgb{0.0, 0.02, 0.1} : Rgb{0.02, 0.3, 0.55};
        Gradient(c, sky, sea);
        for (int band = 0; band < 6; ++band) {
            double base = h * (0.35 + band * 0.11), amp = 3 + band * 1.5, freq = 0.05 + band * 0.01;
            Rgb foam = Mix({0.9, 0.97, 1.0}, sea, band / 7.0);
            for (int x = 0; x < w; ++x) {
                double y0 = base + amp * std::sin(x * freq + seed + band);
                for (int y = static_cast<int>(y0); y < h; ++y)
                    c.Blend(x, y, Mix(foam, sea, std::min(1.0, (y - y0) / 25)), 0.35);
            }
        }
        if (style == "reef")
            for (int i = 0; i < 18; ++i)
                c.Disc(u(rng) * w, h * (0.75 + 0.25 * u(rng)), 3 + 6 * u(rng),
                       {0.9, 0.3 + 0.4 * u(rng), 0.4 + 0.3 * u(rng)}, 0.85);
        if (style == "deep")
            for (int i = 0; i < 40; ++i)
                c.Disc(u(rng) * w, u(rng) * h, 0.8 + u(rng) * 1.5, {0.4, 0.9, 1.0}, 0.6);
    } else if (style == "stars" || style == "nebula" || style == "orbit") {
        Gradient(c, {0.01, 0.01, 0.06}, {0.05, 0.02, 0.12});
        if (style == "nebula")
            for (int i = 0; i < 9; ++i)
                c.Disc(w * (0.2 + 0.6 * u(rng)), h * (0.2 + 0.6 * u(rng)), 20 + 30 * u(rng),
                       {0.6 + 0.4 * u(rng), 0.2, 0.5 + 0.5 * u(rng)}, 0.18);
        for (int i = 0; i < w * h / 90; ++i)
            c.Disc(u(rng) * w, u(rng) * h, 0.4 + u(rng) * (i % 23 == 0 ? 2.0 : 0.8), {1, 1, 0.9},
                   0.5 + 0.5 * u(rng));
        if (style == "orbit") {
            c.Disc(w * 0.5, h * 0.55, h * 0.22, {0.2, 0.45, 0.85});
            c.Disc(w * 0.45, h * 0.5, h * 0.08, {0.3, 0.7, 0.35}, 0.8);
            for (double a = 0; a < 6.283; a += 0.004)
                c.Blend(static_cast<int>(w * 0.5 + std::cos(a) * w * 0.38),
                        static_cast<int>(h * 0.55 + std::sin(a) * h * 0.12), {0.9, 0.9, 1}, 0.7);
            c.Disc(w * 0.5 + w * 0.38 * 0.7, h * 0.55 + h * 0.12 * 0.71, 3, {0.95, 0.95, 0.95});
        }
    } else if (style == "autumn" || style == "frost") {
        bool autumn = style == "autumn";
        Gradient(c, autumn ? Rgb{0.98, 0.85, 0.55} : Rgb{0.85, 0.92, 1.0},
                 autumn ? Rgb{0.65, 0.3, 0.1} : Rgb{0.55, 0.68, 0.85});
        for (int i = 0; i < 70; ++i) {
            Rgb leaf = autumn ? Rgb{0.8 + 0.2 * u(rng), 0.2 + 0.4 * u(rng), 0.05} : Rgb{1, 1, 1};
            c.Disc(u(rng) * w, u(rng) * h, autumn ? 2 + 4 * u(rng) : 1 + 2.5 * u(rng), leaf, 0.8);
        }
    } else { // a toy: a round face on a soft background
        Gradient(c, {0.93, 0.95, 1.0}, {0.75, 0.82, 0.95});
        Rgb face = style == "clock"      ? Rgb{1, 1, 1}
                   : style == "notes"    ? Rgb{1, 0.95, 0.5}
                   : style == "weather"  ? Rgb{1, 0.8, 0.2}
                   : style == "calendar" ? Rgb{0.95, 0.4, 0.4}
                                         : Rgb{0.85, 0.85, 0.8};
        c.Disc(w / 2.0, h / 2.0, std::min(w, h) * 0.38, {0.2, 0.25, 0.4});
        c.Disc(w / 2.0, h / 2.0, std::min(w, h) * 0.34, face);
        if (style == "clock")
            for (int k = 0; k < 12; ++k)
                c.Disc(w / 2.0 + std::cos(k * 0.5236) * std::min(w, h) * 0.28,
                       h / 2.0 + std::sin(k * 0.5236) * std::min(w, h) * 0.28, 2, {0.1, 0.1, 0.2});
        if (style == "moon")
            c.Disc(w / 2.0 + std::min(w, h) * 0.12, h / 2.0, std::min(w, h) * 0.3,
                   {0.2, 0.25, 0.4});
    }
    return c;
}

} // namespace demo
