// Loading an mpstat archive into mpstat_grid, and Clear All.

#include "mpstat_test_support.h"

#include <gtest/gtest.h>

namespace kavro::testing {
namespace {

std::vector<std::string> rows(const StringTable& t) {
    std::vector<std::string> out;
    for (int r = 1; r < t.RowCount(); ++r) out.emplace_back(t.Cell(0, r));
    return out;
}

TEST(MpstatLoad, AppendsEveryLineAsReadAndKeepsAppendingOnTheNextLoad) {
    MpstatWindow w;
    const std::string file = w.dir.file("two.dat", "zzz ***Mon\n\n  0  1 \n");
    ASSERT_TRUE(w.load_file(file));
    // Lines stay untrimmed, the empty line is a row, the slot stays empty.
    EXPECT_EQ(rows(w.grid()), (std::vector<std::string>{"zzz ***Mon", "", "  0  1 ", ""}));
    ASSERT_TRUE(w.load_file(file));
    EXPECT_EQ(rows(w.grid()), (std::vector<std::string>{"zzz ***Mon", "", "  0  1 ", "zzz ***Mon",
                                                        "", "  0  1 ", ""}));
    EXPECT_EQ(w.active_tab(), 0) << "loading does not change the tab";
}

TEST(MpstatLoad, EmptyFileLeavesTheTableAsItWas) {
    MpstatWindow w;
    ASSERT_TRUE(w.load_text(""));
    EXPECT_EQ(w.grid().RowCount(), 2);
    EXPECT_EQ(w.grid().Cell(0, 1), "");
}

TEST(MpstatLoad, MissingFileIsReportedAndKeepsWhatWasLoaded) {
    MpstatWindow w;
    ASSERT_TRUE(w.load_text("first\n"));
    EXPECT_FALSE(w.load_file((w.dir.path() / "absent.dat").string()));
    EXPECT_EQ(w.messages.shown, (std::vector<std::string>{"File not found"}));
    EXPECT_EQ(rows(w.grid()), (std::vector<std::string>{"first", ""}));
    // A folder given as the file name fails the same way without a change.
    EXPECT_FALSE(w.load_file(w.dir.path().string()));
    EXPECT_EQ(rows(w.grid()), (std::vector<std::string>{"first", ""}));
}

TEST(MpstatClearAll, EmptiesTableChartAndSelectorAndTheNextLoadStartsAtRowOne) {
    MpstatWindow w;
    ASSERT_TRUE(w.load_file(mpstat_fixture("aix_sample.dat")));
    ASSERT_TRUE(w.analyse());
    ASSERT_EQ(w.chart().series_count(), 2);
    ASSERT_TRUE(w.form.user_click("Button10"));
    EXPECT_EQ(w.grid().RowCount(), 2);
    EXPECT_EQ(w.chart().series_count(), 0);
    EXPECT_EQ(w.form.mpstat.cpu_num.count(), 0);
    EXPECT_EQ(w.form.mpstat.cpu_num.text(), "");
    ASSERT_TRUE(w.load_text("again\n"));
    EXPECT_EQ(rows(w.grid()), (std::vector<std::string>{"again", ""}));
}

TEST(MpstatClearAll, PutsTheViewAndTrackBarsBackAndLeavesTheSeriesBoxesAlone) {
    MpstatWindow w;
    MpstatPage& p = w.form.mpstat;
    ASSERT_TRUE(w.form.user_click("asplock")); // unlock
    ASSERT_TRUE(w.form.user_track("chartrot", 300));
    ASSERT_TRUE(w.form.user_track("chartzoom", 250));
    ASSERT_TRUE(w.form.user_track("chart_horiz", -40));
    ASSERT_TRUE(w.form.user_track("chart_vert", 75));
    // With no CPU to act on these two end in an error but keep their state.
    EXPECT_FALSE(w.form.user_click("cpu_labels"));
    EXPECT_FALSE(w.form.user_click("cpu_servis"));
    w.messages.shown.clear();

    ASSERT_TRUE(w.form.user_click("Button10"));
    EXPECT_TRUE(p.asplock.checked());
    const View3D& v = w.chart().options();
    EXPECT_TRUE(v.orthogonal);
    EXPECT_EQ(v.rotation, 360);
    EXPECT_EQ(v.zoom, 100);
    EXPECT_EQ(v.horiz_offset, 0);
    EXPECT_EQ(v.vert_offset, 0);
    EXPECT_EQ(p.chart_vert.position(), 0);
    EXPECT_EQ(p.chart_horiz.position(), 0);
    EXPECT_EQ(p.chartzoom.position(), 100);
    EXPECT_EQ(p.chartrot.position(), 360);
    EXPECT_TRUE(p.cpu_labels.checked());
    EXPECT_FALSE(p.cpu_servis.checked());
    EXPECT_TRUE(w.messages.shown.empty());
}

TEST(MpstatClearAll, BeforeAnyAnalysisLeavesAnEmptyChartAndFrontView) {
    MpstatWindow w;
    ASSERT_TRUE(w.form.user_click("Button10"));
    EXPECT_EQ(w.chart().series_count(), 0);
    EXPECT_EQ(w.form.mpstat.cpu_num.count(), 0);
    EXPECT_TRUE(w.form.mpstat.asplock.checked());
    EXPECT_EQ(w.chart().options().rotation, 360);
    EXPECT_TRUE(w.messages.shown.empty());
}

} // namespace
} // namespace kavro::testing
