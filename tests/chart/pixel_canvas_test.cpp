// The pixel writer of the many-series charts: each line is one pixel a
// column (flat) or a row (steep), the pixel nearest the line, from end to
// end; lines and dots are cut to the canvas and never write outside it.

#include "chart/pixel_canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using namespace kavro;

namespace {

// A canvas with a guard band of other pixels around it, to catch writes
// outside.
struct Guarded {
    static constexpr int kGuard = 4;
    static constexpr std::uint32_t kBand = 0xDEADBEEF;
    int w, h;
    std::vector<std::uint32_t> buffer;
    PixelCanvas canvas;
    Guarded(int width, int height)
        : w(width), h(height),
          buffer(static_cast<std::size_t>((w + 2 * kGuard) * (h + 2 * kGuard)), kBand) {
        const int stride = w + 2 * kGuard;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) buffer[idx(x, y)] = 0;
        canvas = {buffer.data() + kGuard * stride + kGuard, w, h, stride};
    }
    std::size_t idx(int x, int y) const {
        return static_cast<std::size_t>((y + kGuard) * (w + 2 * kGuard) + x + kGuard);
    }
    bool band_intact() const {
        for (int y = -kGuard; y < h + kGuard; ++y)
            for (int x = -kGuard; x < w + kGuard; ++x)
                if ((x < 0 || y < 0 || x >= w || y >= h) && buffer[idx(x, y)] != kBand)
                    return false;
        return true;
    }
    int count(std::uint32_t c) const {
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) n += canvas.at(x, y) == c;
        return n;
    }
};

} // namespace

TEST(PixelCanvas, LinesInsideAreOnePixelAColumnOrRowNearestTheLineEndToEnd) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> at(0, 63);
    for (int n = 0; n < 2000; ++n) {
        Guarded g(64, 64);
        const double x0 = at(rng), y0 = at(rng), x1 = at(rng), y1 = at(rng);
        g.canvas.line(x0, y0, x1, y1, 1);
        const int ax = static_cast<int>(std::lround(x0)), ay = static_cast<int>(std::lround(y0));
        const int bx = static_cast<int>(std::lround(x1)), by = static_cast<int>(std::lround(y1));
        ASSERT_EQ(g.canvas.at(ax, ay), 1u) << n;
        ASSERT_EQ(g.canvas.at(bx, by), 1u) << n;
        const bool steep = std::abs(by - ay) > std::abs(bx - ax);
        // Along the major axis, exactly one pixel at each step, within one
        // pixel of the line through the rounded ends.
        const int lo = steep ? std::min(ay, by) : std::min(ax, bx);
        const int hi = steep ? std::max(ay, by) : std::max(ax, bx);
        for (int major = 0; major < 64; ++major) {
            int hits = 0;
            for (int minor = 0; minor < 64; ++minor) {
                const int x = steep ? minor : major, y = steep ? major : minor;
                if (g.canvas.at(x, y) != 1u) continue;
                ++hits;
                const double ideal =
                    steep ? (ay == by ? ax : ax + (y - ay) * double(bx - ax) / (by - ay))
                          : (ax == bx ? ay : ay + (x - ax) * double(by - ay) / (bx - ax));
                EXPECT_LE(std::abs(minor - ideal), 1.0) << n << " at " << x << "," << y;
            }
            EXPECT_EQ(hits, major >= lo && major <= hi ? 1 : 0) << n << " step " << major;
        }
        ASSERT_TRUE(g.band_intact()) << n;
    }
}

TEST(PixelCanvas, LinesAndDotsReachingOutsideAreCutToTheCanvas) {
    Guarded g(50, 30);
    g.canvas.line(-1e9, 15, 1e9, 15, 2); // a level line far past both sides
    EXPECT_EQ(g.count(2), 50);
    g.canvas.line(25, -500, 25.2, 500, 3); // a steep one through top and bottom
    EXPECT_EQ(g.count(3), 30);
    g.canvas.line(-10, -10, -1, 40, 4); // wholly outside
    g.canvas.line(NAN, 1, 5, 5, 4);
    EXPECT_EQ(g.count(4), 0);
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> far(-200, 250);
    for (int n = 0; n < 5000; ++n) g.canvas.line(far(rng), far(rng), far(rng), far(rng), 5);
    for (const auto& [x, y] : std::vector<std::pair<double, double>>{
             {-1, -1}, {0, 0}, {49.4, 29.4}, {50.4, 10}, {-5, 5}, {25, 15}})
        g.canvas.dot(x, y, 3, 6);
    EXPECT_EQ(g.canvas.at(0, 0), 6u);
    EXPECT_EQ(g.canvas.at(49, 29), 6u);
    EXPECT_EQ(g.canvas.at(49, 10), 6u); // the edge of a dot centred just outside
    EXPECT_EQ(g.canvas.at(24, 14), 6u);
    EXPECT_EQ(g.canvas.at(26, 16), 6u);
    EXPECT_TRUE(g.band_intact());
}
