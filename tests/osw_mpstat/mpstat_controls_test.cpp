// The Analyze tab's controls: aspect lock, the four track bars, and the
// per-CPU selector with its two check boxes.

#include "mpstat_test_support.h"

#include <gtest/gtest.h>

namespace kavro::testing {
namespace {

class MpstatControls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(w.load_file(mpstat_fixture("same_aix.dat")));
        ASSERT_TRUE(w.analyse()) << w.form.last_error();
        ASSERT_EQ(w.chart().series_count(), 3);
    }
    const View3D& view() { return w.chart().options(); }
    MpstatPage& page() { return w.form.mpstat; }

    MpstatWindow w;
};

TEST_F(MpstatControls, UnlockedRotationAndRelockingResetsTheView) {
    ASSERT_TRUE(w.form.user_click("asplock"));
    EXPECT_FALSE(view().orthogonal);
    EXPECT_EQ(view().rotation, 360) << "unlocking alone keeps the view values";
    ASSERT_TRUE(w.form.user_track("chartrot", 300));
    ASSERT_TRUE(w.form.user_track("chartzoom", 40));
    ASSERT_TRUE(w.form.user_track("chart_horiz", 120));
    ASSERT_TRUE(w.form.user_track("chart_vert", -30));
    EXPECT_EQ(view().rotation, 300);
    EXPECT_EQ(view().zoom, 40);
    EXPECT_EQ(view().horiz_offset, 120);
    EXPECT_EQ(view().vert_offset, -30);

    ASSERT_TRUE(w.form.user_click("asplock"));
    EXPECT_TRUE(view().orthogonal);
    EXPECT_EQ(view().rotation, 360);
    EXPECT_EQ(view().zoom, 100);
    EXPECT_EQ(view().horiz_offset, 0);
    EXPECT_EQ(view().vert_offset, 0);
    EXPECT_EQ(page().chartrot.position(), 360);
    EXPECT_EQ(page().chartzoom.position(), 100);
    EXPECT_EQ(page().chart_horiz.position(), 0);
    EXPECT_EQ(page().chart_vert.position(), 0);
}

TEST_F(MpstatControls, MovingABarWhileLockedChangesThatValueOnly) {
    ASSERT_TRUE(w.form.user_track("chartzoom", 250));
    EXPECT_EQ(view().zoom, 250);
    EXPECT_TRUE(page().asplock.checked());
    EXPECT_TRUE(view().orthogonal);
    EXPECT_EQ(view().rotation, 360);
}

TEST_F(MpstatControls, BarsKeepToTheirRanges) {
    ASSERT_TRUE(w.form.user_click("asplock"));
    ASSERT_TRUE(w.form.user_track("chartrot", 100));
    EXPECT_EQ(view().rotation, 270);
    ASSERT_TRUE(w.form.user_track("chartrot", 400));
    EXPECT_EQ(view().rotation, 360);
    ASSERT_TRUE(w.form.user_track("chartzoom", 0));
    EXPECT_EQ(view().zoom, 1);
    ASSERT_TRUE(w.form.user_track("chart_vert", 5000));
    EXPECT_EQ(view().vert_offset, 1500);
}

TEST_F(MpstatControls, PickingACpuShowsItsStateAndSetsValueMarks) {
    ASSERT_TRUE(w.form.user_pick("cpu_num", 2)); // the last entry
    const Series& last = w.chart().series(2);
    EXPECT_EQ(last.title(), "CPU# 2");
    EXPECT_EQ(last.marks_style(), MarksStyle::Value);
    EXPECT_FALSE(last.marks_visible());
    EXPECT_FALSE(page().cpu_labels.checked());
    EXPECT_TRUE(page().cpu_servis.checked());
    EXPECT_EQ(w.chart().series(0).marks_style(), MarksStyle::Default);
}

TEST_F(MpstatControls, ValuesInPanelLabelsTheChosenSeriesAndEachEntryShowsItsOwnState) {
    ASSERT_TRUE(w.form.user_pick("cpu_num", 0));
    ASSERT_TRUE(w.form.user_click("cpu_labels"));
    EXPECT_TRUE(w.chart().series(0).marks_visible());
    EXPECT_EQ(w.chart().series(0).marks_style(), MarksStyle::Value);
    EXPECT_FALSE(w.chart().series(1).marks_visible());

    ASSERT_TRUE(w.form.user_pick("cpu_num", 1));
    EXPECT_FALSE(page().cpu_labels.checked());
    EXPECT_TRUE(w.chart().series(0).marks_visible()) << "unticking for CPU 1 leaves CPU 0 alone";

    ASSERT_TRUE(w.form.user_pick("cpu_num", 0));
    EXPECT_TRUE(page().cpu_labels.checked());
    ASSERT_TRUE(w.form.user_click("cpu_labels"));
    EXPECT_FALSE(w.chart().series(0).marks_visible());
}

TEST_F(MpstatControls, VisibleHidesAndShowsTheSeriesWithItsPoints) {
    ASSERT_TRUE(w.form.user_pick("cpu_num", 2));
    const std::vector<double> before = w.values(2);
    ASSERT_TRUE(w.form.user_click("cpu_servis"));
    EXPECT_FALSE(w.chart().series(2).active());
    EXPECT_TRUE(w.chart().series(0).active());

    ASSERT_TRUE(w.form.user_pick("cpu_num", 0));
    EXPECT_TRUE(page().cpu_servis.checked());
    ASSERT_TRUE(w.form.user_pick("cpu_num", 2));
    EXPECT_FALSE(page().cpu_servis.checked());
    EXPECT_FALSE(w.chart().series(2).active()) << "showing the state does not change it";

    ASSERT_TRUE(w.form.user_click("cpu_servis"));
    EXPECT_TRUE(w.chart().series(2).active());
    EXPECT_EQ(w.values(2), before);
}

TEST(MpstatControlsWithoutCpus, SeriesBoxesFailOnTheEmptySelectorAndKeepTheirState) {
    MpstatWindow w;
    EXPECT_FALSE(w.form.user_click("cpu_labels"));
    EXPECT_TRUE(w.form.mpstat.cpu_labels.checked());
    EXPECT_FALSE(w.form.user_click("cpu_servis"));
    EXPECT_FALSE(w.form.mpstat.cpu_servis.checked());
    EXPECT_EQ(w.messages.shown, (std::vector<std::string>{"'' is not a valid integer value",
                                                          "'' is not a valid integer value"}));
}

} // namespace
} // namespace kavro::testing
