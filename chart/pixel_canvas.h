#pragma once

// One-pixel lines and square dots written straight into a block of 32-bit
// pixels. A trace timeline has tens of thousands of series of a few points
// each; drawn one primitive at a time through a painter, the set-up of each
// line costs more than its pixels, while writing the pixels of a line costs
// a few nanoseconds each. Lines are clipped to the canvas first, so a line
// of a zoomed chart reaching far outside costs only its visible pixels.

#include <cstdint>

namespace kavro {

struct PixelCanvas {
    std::uint32_t* pixels = nullptr; // row-major, `stride` pixels a row
    int width = 0;
    int height = 0;
    int stride = 0;

    // The pixels from (x0, y0) to (x1, y1), both ends included: the pixel
    // nearest the line in each column of a flat line (each row of a steep
    // one). Pixel (x, y) covers x - 0.5 to x + 0.5, so a point's pixel is
    // its coordinates rounded.
    void line(double x0, double y0, double x1, double y1, std::uint32_t colour);
    // A square of `size` pixels around the pixel of (x, y).
    void dot(double x, double y, int size, std::uint32_t colour);

    std::uint32_t at(int x, int y) const { return pixels[y * stride + x]; }
};

} // namespace kavro
