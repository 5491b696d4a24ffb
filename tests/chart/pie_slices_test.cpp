// The slices a pie is drawn with: a pie that fits is drawn as the model has
// it; a larger one as its largest slices and "Others (N)" with the sum of
// the rest, while the model keeps every slice.

#include "chart/pie_slices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kavro;

namespace {
Series& pie_of(Chart& c, const std::vector<double>& values) {
    Series& s = c.add_series(SeriesKind::Pie, PointOrder::Addition);
    for (std::size_t i = 0; i < values.size(); ++i)
        s.add_value(values[i], "#" + std::to_string(i) + ":read");
    return s;
}
std::vector<int> points(const PieSlices& p) {
    std::vector<int> out;
    for (const PieSlice& s : p.slices) out.push_back(s.point);
    return out;
}
} // namespace

TEST(PieSlices, APieThatFitsIsDrawnInTheModelsOrderNegativeValuesAsNothing) {
    Chart c;
    const Series& s = pie_of(c, {3, -2, 5, 0});
    const PieSlices p = pie_slices(s, 4);
    EXPECT_EQ(points(p), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(p.others, 0);
    EXPECT_EQ(p.slices[1].value, 0);
    EXPECT_EQ(p.total, 8);
    EXPECT_TRUE(pie_slices(pie_of(c, {}), 4).slices.empty());
}

TEST(PieSlices, ALargePieKeepsItsLargestSlicesFirstAndSumsTheRestIntoOthers) {
    Chart c;
    //                          0  1  2  3  4  5  6
    const Series& s = pie_of(c, {1, 9, 4, 9, 2, 7, 3});
    const PieSlices p = pie_slices(s, 4);
    // Equal values in the model's order.
    EXPECT_EQ(points(p), (std::vector<int>{1, 3, 5, -1}));
    EXPECT_EQ(p.others, 4);
    EXPECT_EQ(p.slices.back().value, 1 + 4 + 2 + 3);
    EXPECT_EQ(p.total, 35);
    EXPECT_EQ(others_label(p.others), "Others (4)");
    EXPECT_EQ(s.point_count(), 7); // the model keeps every slice
}

TEST(PieSlices, AHundredThousandSlicesGiveAFewAndTheSameSumEveryTime) {
    Chart c;
    Series& s = c.add_series(SeriesKind::Pie, PointOrder::Addition);
    double all = 0;
    for (int i = 0; i < 100000; ++i) {
        const double v = (i * 7919) % 1000 + 0.25;
        s.add_value(v, "#1:x");
        all += v;
    }
    const PieSlices p = pie_slices(s);
    ASSERT_EQ(static_cast<int>(p.slices.size()), kPieSlices);
    EXPECT_EQ(p.others, 100000 - (kPieSlices - 1));
    for (std::size_t k = 1; k + 1 < p.slices.size(); ++k)
        EXPECT_GE(p.slices[k - 1].value, p.slices[k].value);
    EXPECT_EQ(p.slices.front().value, 999.25);
    EXPECT_NEAR(p.total, all, all * 1e-12);
    EXPECT_EQ(pie_slices(s).slices.back().value, p.slices.back().value);
}
