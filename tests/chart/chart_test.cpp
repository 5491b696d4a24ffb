#include "chart/chart.h"
#include "core/error.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kavro;

TEST(Chart, SeriesIndexOutsideTheListIsAnError) {
    Chart c;
    c.remove_all_series(); // nothing to remove, nothing raised
    c.add_series(SeriesKind::Line);
    for (int bad : {-1, 1, 7}) {
        try {
            c.series(bad);
            ADD_FAILURE() << bad;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "List index out of bounds (" + std::to_string(bad) + ")");
        }
    }
}

TEST(Chart, NewSeriesTakeDistinctAutomaticColoursAndKindDefaults) {
    Chart c;
    Series& a = c.add_series(SeriesKind::Line);
    Series& b = c.add_series(SeriesKind::Bar);
    EXPECT_NE(a.colour(), b.colour());
    EXPECT_NE(a.colour(), kAutoColour);
    EXPECT_TRUE(a.active());
    EXPECT_FALSE(a.marks_visible());
    EXPECT_TRUE(b.marks_visible());
}

TEST(Chart, PointsKeepAscendingXWithEqualXInArrivalOrder) {
    Chart c;
    Series& s = c.add_series(SeriesKind::Line);
    s.add_point(5, 1);
    s.add_point(3, 2);
    s.add_point(5, 3);
    ASSERT_EQ(s.point_count(), 3);
    EXPECT_EQ(s.x(0), 3);
    EXPECT_EQ(s.value(0), 2);
    EXPECT_EQ(s.value(1), 1);
    EXPECT_EQ(s.value(2), 3);

    Series& bars = c.add_series(SeriesKind::HorizBar, PointOrder::Addition);
    bars.add_point(5, 1);
    bars.add_point(3, 2);
    EXPECT_EQ(bars.value(0), 1);
}

TEST(Chart, AddValueContinuesTheOrdinals) {
    Chart c;
    Series& s = c.add_series(SeriesKind::Bar);
    for (int i = 0; i < 5; ++i) s.add_value(i * 10, "t" + std::to_string(i));
    EXPECT_EQ(s.x(3), 3);
    EXPECT_EQ(s.x(4), 4);
    EXPECT_EQ(s.label(4), "t4");
}

// Labels come back as they were added, whether a refill repeats them in
// their first order, skips some, goes back or brings new ones, and after
// the chart is emptied.
TEST(Chart, LabelsReadBackInAnyOrderOfRefills) {
    Chart c;
    const std::vector<std::vector<std::string>> fills = {
        {"a", "b", "c", "d"}, {"a", "b", "c", "d"},
        {"b", "d"},           {"d", "c", "b", "a"},
        {"a", "", "e", "a"},  {"c", "d", "e", "f"},
        {"ab", "a", "b"},     {"b", "b", "b", "c", "c", "a", "a"}};
    for (int round = 0; round < 2; ++round) {
        Series& s = c.add_series(SeriesKind::Pie);
        for (const auto& fill : fills) {
            s.clear();
            for (const std::string& label : fill) s.add_value(1, label);
            ASSERT_EQ(s.point_count(), static_cast<int>(fill.size()));
            for (std::size_t i = 0; i < fill.size(); ++i)
                EXPECT_EQ(s.label(static_cast<int>(i)), fill[i]) << round << " " << i;
        }
        c.remove_all_series();
    }
}

TEST(Chart, TitleLookupIsExactAndFollowsRetitling) {
    Chart c;
    c.add_series(SeriesKind::Line).set_title("#3:db file sequential read(ela=)");
    c.add_series(SeriesKind::Line).set_title("CPU# 0");
    EXPECT_EQ(c.find_series("#3:DB FILE SEQUENTIAL READ(ela=)"), nullptr);
    ASSERT_NE(c.find_series("CPU# 0"), nullptr);
    EXPECT_EQ(c.find_series("CPU# 0")->index(), 1);
    c.series(1).set_title("CPU# 1");
    EXPECT_EQ(c.find_series("CPU# 0"), nullptr);
    EXPECT_EQ(c.series_with_title("CPU# 1"), std::vector<int>{1});
    c.remove_all_series();
    EXPECT_EQ(c.find_series("CPU# 1"), nullptr);
}

TEST(Chart, InactiveSeriesKeepTheirPoints) {
    Chart c;
    Series& s = c.add_series(SeriesKind::Line);
    s.add_point(1, 2);
    s.set_active(false);
    s.set_active(true);
    EXPECT_EQ(s.point_count(), 1);
    EXPECT_EQ(s.value(0), 2);
}

TEST(Chart, GanttBarsKeepStartOrder) {
    Chart c;
    Series& g = c.add_series(SeriesKind::Gantt);
    g.add_gantt_bar(0.5, 0.6, 0, "b");
    g.add_gantt_bar(0.1, 0.2, 1, "a");
    ASSERT_EQ(g.bars().size(), 2u);
    EXPECT_EQ(g.bars()[0].label, "a");
}

// A chart that is cleared and refilled (a pie, the plan bars) keeps the
// labels of its last filling only, once no point of any series shows one;
// while a series still shows labels, they read back whole.
TEST(Chart, ClearedSeriesLetTheirLabelsGoOnceNoPointShowsOne) {
    Chart c;
    Series& a = c.add_series(SeriesKind::Bar);
    Series& b = c.add_series(SeriesKind::Bar);
    for (int fill = 0; fill < 100; ++fill) {
        a.clear();
        for (int i = 0; i < 10; ++i) a.add_value(i, "label " + std::to_string(fill * 10 + i));
    }
    EXPECT_EQ(c.intern_label("label 995"), 6u); // the pool holds the last ten
    b.add_value(1, "kept");
    a.clear();
    a.add_value(1, "again");
    EXPECT_EQ(b.label(0), "kept");
    EXPECT_EQ(a.label(0), "again");
    b.clear();
    EXPECT_EQ(a.label(0), "again");
    a.clear();
    EXPECT_EQ(c.intern_label("fresh"), 1u);
}
