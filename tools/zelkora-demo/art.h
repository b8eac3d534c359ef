// Pictures for the demo installation, drawn pixel by pixel and written as
// 24-bit bitmaps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

struct Rgb {
    double r, g, b;
};

class Canvas {
  public:
    Canvas(int w, int h) : w_(w), h_(h), px_(static_cast<size_t>(w * h), Rgb{0, 0, 0}) {}
    int w() const { return w_; }
    int h() const { return h_; }
    Rgb& at(int x, int y) { return px_[static_cast<size_t>(y * w_ + x)]; }
    void Blend(int x, int y, Rgb c, double alpha);
    void Disc(double cx, double cy, double radius, Rgb c, double alpha = 1.0);
    // The bytes of a BMP file.
    std::string Bmp() const;

  private:
    int w_, h_;
    std::vector<Rgb> px_;
};

// A module's or toy's picture in one of the styles the demo uses.
Canvas Scene(const std::string& style, int w, int h, unsigned seed);

} // namespace demo
