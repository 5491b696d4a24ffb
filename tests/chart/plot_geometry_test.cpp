// Where chart values land in a plot's pixels, and what a drawing is handed:
// the map from values to pixels and back, the points a pixel column keeps
// (held against the plain reading of every point), the bars that stand for
// many slots, and the spacing of axis labels.

#include "chart/plot_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>
#include <vector>

using namespace kavro;

TEST(PlotMap, MapsTheAxisRangesOntoThePlotAndBack) {
    // x 100..300 over 400 pixels from 50; y -10..30 over 200 pixels from 20.
    const PlotMap m = PlotMap::fit(100, 300, -10, 30, 50, 20, 400, 200);
    EXPECT_DOUBLE_EQ(m.px(100), 50);
    EXPECT_DOUBLE_EQ(m.px(300), 450);
    EXPECT_DOUBLE_EQ(m.px(150), 150);
    EXPECT_DOUBLE_EQ(m.py(-10), 220); // the bottom edge: y grows upwards
    EXPECT_DOUBLE_EQ(m.py(30), 20);
    EXPECT_DOUBLE_EQ(m.py(0), 170);
    for (double x : {100.0, 123.25, 299.5, 300.0, 80.0, 1e3})
        EXPECT_NEAR(m.x_at(m.px(x)), x, 1e-9) << x;
    EXPECT_DOUBLE_EQ(m.x_extent(8), 4); // two x units a pixel

    // An axis of no extent puts every value on the edge and reads back its
    // one value; a few pixels span nothing.
    const PlotMap flat = PlotMap::fit(5, 5, 7, 7, 10, 0, 100, 50);
    EXPECT_DOUBLE_EQ(flat.px(5), 10);
    EXPECT_DOUBLE_EQ(flat.px(1e9), 10);
    EXPECT_DOUBLE_EQ(flat.py(-3), 50);
    EXPECT_DOUBLE_EQ(flat.x_at(77), 5);
    EXPECT_DOUBLE_EQ(flat.x_extent(8), 0);
}

namespace {

std::vector<std::size_t> handed(const Series& s, double xlo, double xhi, double columns) {
    std::vector<std::size_t> out;
    const Point* base = s.points().data();
    visible_points(s, xlo, xhi, columns,
                   [&](const Point& p) { out.push_back(static_cast<std::size_t>(&p - base)); });
    return out;
}

} // namespace

// Against every point of the series: what is handed over comes in the
// series' order without repeats, about two points a column, the lowest and
// the highest point of every pixel column of the plot, and points at or
// past either edge, so the line runs to the plot's sides.
TEST(VisiblePoints, KeepEveryColumnsPeaksInOrderAndTheEdges) {
    std::mt19937 rnd(14);
    for (int round = 0; round < 200; ++round) {
        Chart chart;
        Series& s = chart.add_series(SeriesKind::Line);
        const int n = 1 + static_cast<int>(rnd() % 3000);
        for (int i = 0; i < n; ++i) // repeated x values and steps of every size
            s.add_point(static_cast<double>(rnd() % 5000) / (1 + rnd() % 3),
                        static_cast<double>(rnd() % 1000) - 500);
        const auto& pts = s.points();
        const double xlo = static_cast<double>(rnd() % 2500);
        const double xhi = xlo + 1 + static_cast<double>(rnd() % 2500);
        const double columns = 1 + static_cast<double>(rnd() % 400);
        const std::vector<std::size_t> got = handed(s, xlo, xhi, columns);
        SCOPED_TRACE("round " + std::to_string(round));
        for (std::size_t k = 1; k < got.size(); ++k) ASSERT_LT(got[k - 1], got[k]);
        // Two a column at most, the last column (x at the right edge) and a
        // point either side included.
        ASSERT_LE(static_cast<double>(got.size()), 2 * columns + 4);

        // The lowest and highest y of each pixel column, from every point.
        const double per_column = columns / (xhi - xlo);
        const auto column_of = [&](double x) {
            return static_cast<long>(std::floor((x - xlo) * per_column));
        };
        std::map<long, std::pair<double, double>> peaks, kept_peaks;
        const auto widen = [](auto& m, long column, double y) {
            auto [it, fresh] = m.try_emplace(column, y, y);
            it->second.first = std::min(it->second.first, y);
            it->second.second = std::max(it->second.second, y);
        };
        std::size_t inside = 0;
        for (const Point& p : pts) {
            if (p.x < xlo || p.x >= xhi) continue;
            ++inside;
            widen(peaks, column_of(p.x), p.y);
        }
        bool reaches_left = false, reaches_right = false;
        for (std::size_t k : got) {
            const Point& p = pts[k];
            reaches_left |= p.x <= xlo;
            reaches_right |= p.x >= xhi;
            if (p.x >= xlo && p.x < xhi) widen(kept_peaks, column_of(p.x), p.y);
        }
        EXPECT_EQ(kept_peaks, peaks);
        if (pts.front().x <= xlo) {
            EXPECT_TRUE(reaches_left);
        }
        if (pts.back().x >= xhi) {
            EXPECT_TRUE(reaches_right);
        }
        if (static_cast<double>(inside) + 3 <= 2 * columns) {
            // Few enough to draw them all: every point in range is handed.
            const std::set<std::size_t> kept(got.begin(), got.end());
            for (std::size_t k = 0; k < pts.size(); ++k)
                if (pts[k].x >= xlo && pts[k].x <= xhi) {
                    ASSERT_TRUE(kept.count(k)) << k;
                }
        }
    }
}

TEST(VisiblePoints, ASeriesInTheOrderOfAdditionOrAnEmptyRangeIsHandedWhole) {
    Chart chart;
    Series& added = chart.add_series(SeriesKind::Line, PointOrder::Addition);
    for (int i = 0; i < 1000; ++i) added.add_point((i * 37) % 1000, i % 7);
    EXPECT_EQ(handed(added, 0, 1000, 10).size(), 1000u);

    Series& by_x = chart.add_series(SeriesKind::Line);
    for (int i = 0; i < 1000; ++i) by_x.add_point(i, i % 7);
    EXPECT_EQ(handed(by_x, 500, 500, 10).size(), 3u); // the point at 500 and one either side
    EXPECT_TRUE(handed(chart.add_series(SeriesKind::Line), 0, 1, 10).empty());
}

TEST(BarBuckets, AsFewSlotsABarAsBringTheBarsWithinTheColumns) {
    struct Case {
        std::ptrdiff_t count, columns, per;
    } cases[] = {{0, 100, 1},         {100, 100, 1},       {101, 100, 2},
                 {250, 100, 3},       {300, 100, 3},       {301, 100, 4},
                 {500000, 1000, 500}, {500001, 1000, 501}, {10, 0, 1}};
    for (const Case& c : cases) {
        const std::ptrdiff_t per = slots_per_bar(c.count, c.columns);
        EXPECT_EQ(per, c.per) << c.count << " in " << c.columns;
        if (c.count > 0 && c.columns > 0) {
            EXPECT_LE((c.count + per - 1) / per, c.columns);
        }
    }

    // The bar of a bucket is its value of largest size, either sign.
    const std::vector<double> v{1, -7, 3, 7, 0, -2};
    EXPECT_DOUBLE_EQ(largest_magnitude(v, 0, 6), -7); // the first of two of one size
    EXPECT_DOUBLE_EQ(largest_magnitude(v, 2, 4), 7);
    EXPECT_DOUBLE_EQ(largest_magnitude(v, 4, 6), -2);
    EXPECT_DOUBLE_EQ(largest_magnitude(v, 3, 3), 0);
}

TEST(LabelStep, LabelsAsCloseAsTheirRoomAllows) {
    struct Case {
        double width;
        std::ptrdiff_t count;
        double need;
        std::ptrdiff_t step;
    } cases[] = {
        {1000, 10, 50, 1},  // 100 pixels each: every label
        {1000, 10, 100, 1}, // exactly their room
        {1000, 10, 101, 2},       {1000, 100, 35, 4},
        {1024, 131072, 14, 1792}, {1000, 0, 20, 1}, // no labels
    };
    for (const Case& c : cases) {
        const std::ptrdiff_t k = label_step(c.width, c.count, c.need);
        EXPECT_EQ(k, c.step) << c.width << " " << c.count << " " << c.need;
        if (c.count > 0) { // written labels stand at least their room apart
            EXPECT_GE(static_cast<double>(k) * c.width / static_cast<double>(c.count), c.need);
            EXPECT_LT(static_cast<double>(k - 1) * c.width / static_cast<double>(c.count), c.need);
        }
    }
    // A plot of no width writes the first label only.
    EXPECT_GE(label_step(0, 10, 12), 10);
}
