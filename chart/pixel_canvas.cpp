#include "chart/pixel_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace kavro {

namespace {

// Cuts the line to the box lo..hi on both axes (Liang and Barsky); false
// when nothing of it is inside.
bool clip(double& x0, double& y0, double& x1, double& y1, double xlo, double ylo, double xhi,
          double yhi) {
    double t0 = 0, t1 = 1;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - xlo, xhi - x0, y0 - ylo, yhi - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    const double ax = x0 + t0 * dx, ay = y0 + t0 * dy;
    x1 = x0 + t1 * dx;
    y1 = y0 + t1 * dy;
    x0 = ax;
    y0 = ay;
    return true;
}

} // namespace

void PixelCanvas::line(double x0, double y0, double x1, double y1, std::uint32_t colour) {
    if (width <= 0 || height <= 0) return;
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
        return;
    // Inside the box, every rounded coordinate is a pixel of the canvas; a
    // line with both ends in it (nearly all) needs no cutting.
    constexpr double kIn = 0.4999;
    const double xhi = width - 1 + kIn, yhi = height - 1 + kIn;
    const bool inside = x0 >= -kIn && x0 <= xhi && x1 >= -kIn && x1 <= xhi && y0 >= -kIn &&
                        y0 <= yhi && y1 >= -kIn && y1 <= yhi;
    if (!inside && !clip(x0, y0, x1, y1, -kIn, -kIn, xhi, yhi)) return;
    int ax = static_cast<int>(std::lround(x0)), ay = static_cast<int>(std::lround(y0));
    int bx = static_cast<int>(std::lround(x1)), by = static_cast<int>(std::lround(y1));
    if (std::abs(by - ay) > std::abs(bx - ax)) {
        // Steep: one pixel a row.
        if (ay > by) std::swap(ax, bx), std::swap(ay, by);
        // x in 16.16 fixed point, a half added so that the shift rounds.
        const std::int64_t step = (static_cast<std::int64_t>(bx - ax) << 16) / (by - ay);
        std::int64_t x = (static_cast<std::int64_t>(ax) << 16) + 0x8000;
        std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(ay) * stride;
        for (int r = ay; r <= by; ++r, x += step, row += stride) row[x >> 16] = colour;
        return;
    }
    // Flat: one run of pixels a row, filled at once; a long, nearly level
    // line (a series of few points far apart) costs a few fills.
    if (ay > by) std::swap(ax, bx), std::swap(ay, by);
    if (ay == by) {
        std::fill(pixels + ay * stride + std::min(ax, bx),
                  pixels + ay * stride + std::max(ax, bx) + 1, colour);
        return;
    }
    const double per_row = static_cast<double>(bx - ax) / (by - ay);
    // Where the line crosses from row r - 1 into row r.
    const auto edge = [&](int r) { return ax + (r - 0.5 - ay) * per_row; };
    const bool right = bx > ax;
    for (int r = ay; r <= by; ++r) {
        int from, to;
        if (right) {
            from = r == ay ? ax : static_cast<int>(std::ceil(edge(r)));
            to = r == by ? bx : static_cast<int>(std::ceil(edge(r + 1))) - 1;
        } else {
            from = r == by ? bx : static_cast<int>(std::floor(edge(r + 1))) + 1;
            to = r == ay ? ax : static_cast<int>(std::floor(edge(r)));
        }
        from = std::max(from, std::min(ax, bx));
        to = std::min(to, std::max(ax, bx));
        if (from <= to) std::fill(pixels + r * stride + from, pixels + r * stride + to + 1, colour);
    }
}

void PixelCanvas::dot(double x, double y, int size, std::uint32_t colour) {
    if (!std::isfinite(x) || !std::isfinite(y) || size <= 0) return;
    const double half = (size - 1) / 2.0;
    const double left = std::floor(x + 0.5 - half), top = std::floor(y + 0.5 - half);
    const int x0 = static_cast<int>(std::clamp(left, 0.0, static_cast<double>(width)));
    const int x1 = static_cast<int>(std::clamp(left + size, 0.0, static_cast<double>(width)));
    const int y0 = static_cast<int>(std::clamp(top, 0.0, static_cast<double>(height)));
    const int y1 = static_cast<int>(std::clamp(top + size, 0.0, static_cast<double>(height)));
    for (int yy = y0; yy < y1; ++yy)
        std::fill(pixels + yy * stride + x0, pixels + yy * stride + x1, colour);
}

} // namespace kavro
