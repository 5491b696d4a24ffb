// The buttons between the timeline's lists and its 3D controls.
#include "hand_filled.h"

using namespace kavro;
using namespace kavro::testing;
using Strings = std::vector<std::string>;

TEST_F(TraceViewTest, SingleMovesNeedASelectedItem) {
    fill_standard();
    ASSERT_TRUE(pick("#3:"));
    const auto graph = page().trace_graph.revision();
    const Strings shown = page().dispbox.items(), hidden = page().hidebox.items();
    ASSERT_TRUE(form.user_click("disp1but"));
    ASSERT_TRUE(form.user_click("hide1but"));
    EXPECT_EQ(page().dispbox.items(), shown);
    EXPECT_EQ(page().hidebox.items(), hidden);
    EXPECT_EQ(page().trace_graph.revision(), graph);

    page().dispbox.select(0);
    ASSERT_TRUE(form.user_click("hide1but"));
    EXPECT_EQ(page().dispbox.items(), (Strings{t(2)}));
    EXPECT_EQ(page().hidebox.items().back(), t(0));
    EXPECT_EQ(page().dispbox.item_index(), -1);
    expect_lists_match_series();
}

TEST_F(TraceViewTest, AnotherCursorsTitleShownByHandStaysUntilTheNextChange) {
    fill_standard();
    ASSERT_TRUE(pick("#3:")); // hidden: 6 5 4 3 1
    page().hidebox.select(3);
    ASSERT_TRUE(form.user_click("disp1but"));
    EXPECT_EQ(page().dispbox.items(), (Strings{t(0), t(2), t(3)}));
    EXPECT_EQ(page().hidebox.items(), (Strings{t(6), t(5), t(4), t(1)}));
    EXPECT_TRUE(page().trace_graph.series(3).active());
    expect_lists_match_series();

    ASSERT_TRUE(pick("#3:"));
    EXPECT_EQ(page().dispbox.items(), (Strings{t(0), t(2)}));
    EXPECT_EQ(page().hidebox.items().back(), t(3));
    EXPECT_FALSE(page().trace_graph.series(3).active());
    expect_lists_match_series();
}

TEST_F(TraceViewTest, ShowAllAndHideAllIgnoreTheSelection) {
    fill_standard();
    ASSERT_TRUE(pick("#3:"));
    ASSERT_TRUE(form.user_click("dispallbut"));
    EXPECT_EQ(page().dispbox.items(), (Strings{t(0), t(2), t(6), t(5), t(4), t(3), t(1)}));
    EXPECT_TRUE(page().hidebox.items().empty());
    EXPECT_EQ(active_titles().size(), std::size(kTitles));
    EXPECT_EQ(page().cursor_combo.text(), "#3:");

    ASSERT_TRUE(form.user_click("hideallbut"));
    EXPECT_TRUE(page().dispbox.items().empty());
    EXPECT_EQ(page().hidebox.items(), (Strings{t(0), t(2), t(6), t(5), t(4), t(3), t(1)}));
    EXPECT_TRUE(active_titles().empty());

    // With the display list empty, a pick only brings its cursor's items
    // back, last first.
    ASSERT_TRUE(pick("#5:"));
    EXPECT_EQ(page().dispbox.items(), (Strings{t(1), t(6)}));
    EXPECT_EQ(page().hidebox.items(), (Strings{t(0), t(2), t(5), t(4), t(3)}));
    expect_lists_match_series();
}

TEST_F(TraceViewTest, TheThreeDControlsSetTheTimelinesView) {
    const Chart& chart = page().trace_graph;
    ASSERT_TRUE(chart.view3d());
    ASSERT_TRUE(form.user_click("graph_3d"));
    EXPECT_FALSE(chart.view3d());
    ASSERT_TRUE(form.user_click("graph_3d"));
    EXPECT_TRUE(chart.view3d());

    ASSERT_TRUE(form.user_track("trace_graph_zoom", 250));
    ASSERT_TRUE(form.user_track("trace_graph_rot", 300));
    EXPECT_EQ(chart.options().zoom, 250);
    EXPECT_EQ(chart.options().rotation, 300);
    page().trace_graph.set_horiz_offset(15);
    page().trace_graph.set_vert_offset(-8);

    // Unticking "Aspect Lock" only frees the rotation.
    ASSERT_TRUE(form.user_click("trace_graph_asplock"));
    EXPECT_FALSE(chart.options().orthogonal);
    EXPECT_EQ(chart.options().zoom, 250);
    EXPECT_EQ(chart.options().rotation, 300);
    EXPECT_EQ(chart.options().horiz_offset, 15);
    EXPECT_EQ(chart.options().vert_offset, -8);
    ASSERT_TRUE(form.user_track("trace_graph_rot", 280));
    EXPECT_EQ(chart.options().rotation, 280);

    // Ticking it again puts the view and both sliders back to the start.
    ASSERT_TRUE(form.user_click("trace_graph_asplock"));
    EXPECT_TRUE(chart.options().orthogonal);
    EXPECT_EQ(chart.options().zoom, 100);
    EXPECT_EQ(chart.options().rotation, 360);
    EXPECT_EQ(chart.options().horiz_offset, 0);
    EXPECT_EQ(chart.options().vert_offset, 0);
    EXPECT_EQ(page().trace_graph_zoom.position(), 100);
    EXPECT_EQ(page().trace_graph_rot.position(), 360);
}
