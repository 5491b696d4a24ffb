// The cursor match and the refresh that a change of cursor_combo's text runs
// over the timeline, the pies, the plan view and the two lists.
#include "hand_filled.h"
#include "trace_view/trace_view.h"

using namespace kavro;
using namespace kavro::testing;
using Strings = std::vector<std::string>;

TEST(CursorMatch, AllContainmentAndTheEmptyText) {
    struct Case {
        const char* selection;
        const char* text;
        bool selected;
    } cases[] = {
        {"All", "#3:db file sequential read", true},
        {"All", "", true},
        {"#3:", "#3:db file sequential read", true},
        {"#3:", "#31:db file scattered read", false}, // the colon ends the reference
        {"#1", "#10:FETCH(cr=)", true},
        {"#1", "#31:FETCH(cr=)", false},
        {"sequential", "#3:db file sequential read", true}, // anywhere in the text
        {"", "#3:db file sequential read", false},          // empty selects nothing
        {"all", "#3:All", false},                           // not "All", and case counts
        {"All ", "#3:All", false},
        {"#3:", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(trace_view::cursor_match(c.selection, c.text), c.selected)
            << '"' << c.selection << "\" in \"" << c.text << '"';
}

TEST_F(TraceViewTest, PickingAReferenceShowsThatCursorInEveryView) {
    fill_standard();
    page().dispbox.select(2);     // "#3:FETCH(cr=)" stays selected where it lands
    page().rb_view_stat.select(); // another view in front: the timeline is refreshed too
    ASSERT_TRUE(pick("#3:")) << form.last_error();

    EXPECT_EQ(active_titles(), (Strings{t(0), t(2)}));

    EXPECT_EQ(labels(page().touch_graph1), (Strings{"#3:db file sequential read"}));
    EXPECT_EQ(values(page().touch_graph1), (std::vector<double>{1.5}));
    EXPECT_EQ(values(page().touch_graph2), (std::vector<double>{4}));
    EXPECT_EQ(labels(page().touch_graph3), (Strings{"#3:db file sequential read 77"}));
    EXPECT_EQ(values(page().touch_graph3), (std::vector<double>{1.5}));
    EXPECT_EQ(values(page().touch_graph4), (std::vector<double>{4}));

    // The untimed plan step of cursor 3 widens the label but gets no bar and
    // no row.
    const Chart& plan = page().execplan_graph;
    EXPECT_EQ(labels(plan), (Strings{"SORT ORDER BY" + std::string(10, ' ')}));
    EXPECT_EQ(values(plan), (std::vector<double>{120}));
    EXPECT_EQ(plan.title(), (Strings{"Execution Plan(#3:)"}));
    const StringTable& anal = page().exec_anal;
    ASSERT_EQ(anal.RowCount(), 3);
    EXPECT_EQ(anal.RowSnapshot(0), page().execplan_grid.RowSnapshot(0));
    EXPECT_EQ(anal.Cell(0, 0), "Cursor#");
    EXPECT_EQ(anal.RowSnapshot(1), page().execplan_grid.RowSnapshot(1));
    EXPECT_EQ(anal.RowSnapshot(2), Strings(11));

    // The other cursors' items went to the hide list last first.
    EXPECT_EQ(page().dispbox.items(), (Strings{t(0), t(2)}));
    EXPECT_EQ(page().hidebox.items(), (Strings{t(6), t(5), t(4), t(3), t(1)}));
    EXPECT_EQ(page().dispbox.item_index(), 1);
    expect_lists_match_series();
}

TEST_F(TraceViewTest, PickingAllShowsEverythingAndBringsHiddenItemsBackInOrder) {
    fill_standard();
    ASSERT_TRUE(pick("#3:"));
    page().hidebox.select(1);
    ASSERT_TRUE(pick("All")) << form.last_error();

    EXPECT_EQ(active_titles().size(), std::size(kTitles));
    EXPECT_EQ(values(page().touch_graph1), (std::vector<double>{1.5, 0.25, 2, 0.125, 3}));
    EXPECT_EQ(values(page().touch_graph2), (std::vector<double>{4, 2, 1, 3, 7}));
    EXPECT_EQ(values(page().touch_graph3), (std::vector<double>{1.5, 0.25, 2}));
    EXPECT_EQ(values(page().touch_graph4), (std::vector<double>{4, 2, 1}));
    EXPECT_EQ(values(page().execplan_graph), (std::vector<double>{120, 40, 7}));
    EXPECT_EQ(labels(page().execplan_graph)[1], "HASH JOIN" + std::string(14, ' '));
    EXPECT_EQ(page().execplan_graph.title(), (Strings{"Execution Plan(All)"}));
    EXPECT_EQ(page().exec_anal.RowCount(), 5); // three timed rows and the slot

    EXPECT_EQ(page().dispbox.items(), (Strings{t(0), t(2), t(6), t(5), t(4), t(3), t(1)}));
    EXPECT_TRUE(page().hidebox.items().empty());
    EXPECT_EQ(page().hidebox.item_index(), -1);
    expect_lists_match_series();
}

TEST_F(TraceViewTest, BothListWalksRunBackwards) {
    fill_standard();
    ASSERT_TRUE(pick("#3:"));
    page().hidebox.select(1); // "#10:FETCH(cr=)" stays hidden and selected
    ASSERT_TRUE(pick("#5:"));
    // First walk: cursor 3's items leave the display list last first; second
    // walk: cursor 5's items come back from the hide list last first.
    EXPECT_EQ(page().dispbox.items(), (Strings{t(1), t(6)}));
    EXPECT_EQ(page().hidebox.items(), (Strings{t(5), t(4), t(3), t(2), t(0)}));
    EXPECT_EQ(page().hidebox.item_index(), 0);
    EXPECT_EQ(page().dispbox.item_index(), -1);
    expect_lists_match_series();
}

TEST_F(TraceViewTest, TypedTextSelectsEveryCursorContainingIt) {
    fill_standard();
    ASSERT_TRUE(type("#"));
    ASSERT_TRUE(type("#1")) << form.last_error();
    EXPECT_EQ(active_titles(), (Strings{t(4), t(5)}));
    EXPECT_EQ(labels(page().touch_graph1), (Strings{"#1:log file sync", "#10:direct path read"}));
    EXPECT_TRUE(labels(page().touch_graph3).empty());
    EXPECT_EQ(page().execplan_graph.title(), (Strings{"Execution Plan(#1)"}));
    EXPECT_EQ(page().dispbox.items(), (Strings{t(4), t(5)}));
    expect_lists_match_series();
}

TEST_F(TraceViewTest, SelectionsThatMatchNothingEmptyEveryView) {
    struct Case {
        const char* text;
        const char* title;
    } cases[] = {
        {"", "Execution Plan()"}, {"#9:", "Execution Plan(#9:)"}, {"all", "Execution Plan(all)"}};
    fill_standard();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(pick("All"));
        Strings hidden = page().dispbox.items();
        std::reverse(hidden.begin(), hidden.end());
        ASSERT_TRUE(type(c.text)) << form.last_error();
        EXPECT_TRUE(active_titles().empty());
        for (const Chart* pie : {&page().touch_graph1, &page().touch_graph2, &page().touch_graph3,
                                 &page().touch_graph4})
            EXPECT_EQ(pie->series(0).point_count(), 0);
        EXPECT_EQ(page().execplan_graph.series(0).point_count(), 0);
        EXPECT_EQ(page().execplan_graph.title(), (Strings{c.title}));
        ASSERT_EQ(page().exec_anal.RowCount(), 2);
        EXPECT_EQ(page().exec_anal.Cell(3, 0), "Operation");
        EXPECT_EQ(page().exec_anal.RowSnapshot(1), Strings(11));
        EXPECT_TRUE(page().dispbox.items().empty());
        EXPECT_EQ(page().hidebox.items(), hidden);
        expect_lists_match_series();
    }
}
TEST_F(TraceViewTest, PlanLabelsAreOneLongerThanTheWidestOperation) {
    fill_plan({{"#7:", std::string(12, 'a'), "5"},
               {"#7:", std::string(30, 'c'), ""},
               {"#7:", std::string(20, 'b'), "6.5"},
               {"#8:", std::string(40, 'd'), "1"}});
    AddUniqueItem(page().cursor_combo, "#7:");
    ASSERT_TRUE(pick("#7:")) << form.last_error();
    const Strings got = labels(page().execplan_graph);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], std::string(12, 'a') + std::string(19, ' '));
    EXPECT_EQ(got[1], std::string(20, 'b') + std::string(11, ' '));
    EXPECT_EQ(values(page().execplan_graph), (std::vector<double>{5, 6.5}));
    ASSERT_EQ(page().exec_anal.RowCount(), 4);
    EXPECT_EQ(page().exec_anal.Cell(10, 2), "card " + std::string(20, 'b'));
}

TEST_F(TraceViewTest, ABadCellStopsTheRefreshAndKeepsWhatWasDone) {
    fill_standard();
    page().touch_grid2.SetCell(1, 2, "abc"); // the time of cursor 5's object row
    page().touch_grid1.SetCell(2, 4, "x7");  // the count of cursor 1's wait row
    // Rows of other cursors are never converted.
    ASSERT_TRUE(pick("#3:")) << form.last_error();

    EXPECT_FALSE(pick("#5:"));
    EXPECT_EQ(form.last_error(), "'abc' is not a valid floating point value");
    EXPECT_EQ(active_titles(), (Strings{t(1), t(6)})); // step 1 done
    EXPECT_EQ(values(page().touch_graph1), (std::vector<double>{0.25}));
    EXPECT_EQ(values(page().touch_graph2), (std::vector<double>{2}));
    EXPECT_TRUE(values(page().touch_graph3).empty());
    // The plan view and the lists still show cursor 3.
    EXPECT_EQ(page().execplan_graph.title(), (Strings{"Execution Plan(#3:)"}));
    EXPECT_EQ(values(page().execplan_graph), (std::vector<double>{120}));
    EXPECT_EQ(page().dispbox.items(), (Strings{t(0), t(2)}));

    // A bad count leaves the row's time slice standing.
    EXPECT_FALSE(pick("#1:"));
    EXPECT_EQ(form.last_error(), "'x7' is not a valid floating point value");
    EXPECT_EQ(labels(page().touch_graph1), (Strings{"#1:log file sync"}));
    EXPECT_TRUE(values(page().touch_graph2).empty());
}

TEST_F(TraceViewTest, AllWithAnEmptyTouchTableGivesEmptyPies) {
    fill_standard();
    page().touch_grid1.ResetTable(); // the trace had no wait event to count
    page().touch_grid1.TrimTable();
    ASSERT_TRUE(pick("#5:"));
    ASSERT_TRUE(pick("All")) << form.last_error();
    EXPECT_TRUE(values(page().touch_graph1).empty());
    EXPECT_TRUE(values(page().touch_graph2).empty());
    EXPECT_EQ(values(page().touch_graph3), (std::vector<double>{1.5, 0.25, 2}));
    EXPECT_EQ(page().execplan_graph.title(), (Strings{"Execution Plan(All)"}));
    EXPECT_TRUE(page().hidebox.items().empty());

    // A real row with an empty time still does not convert.
    page().touch_grid2.SetCell(1, 3, "");
    EXPECT_FALSE(pick("All"));
    EXPECT_EQ(form.last_error(), "'' is not a valid floating point value");
}

TEST_F(TraceViewTest, AllBeforeAnyAnalysisRefreshesToEmptyViews) {
    ASSERT_TRUE(pick("All")) << form.last_error();
    for (const Chart* pie :
         {&page().touch_graph1, &page().touch_graph2, &page().touch_graph3, &page().touch_graph4})
        EXPECT_EQ(pie->series(0).point_count(), 0);
    EXPECT_EQ(page().execplan_graph.series(0).point_count(), 0);
    EXPECT_EQ(page().exec_anal.RowCount(), 2);
    EXPECT_EQ(page().exec_anal.Cell(0, 0), ""); // no analysis gave it titles
}

TEST_F(TraceViewTest, ViewButtonsOnlySwitchTheBoxes) {
    fill_standard();
    ASSERT_TRUE(pick("#3:"));
    const auto graph = page().trace_graph.revision();
    const auto pies = page().touch_graph1.revision();
    const auto plan = page().execplan_graph.revision();
    const auto shown = page().dispbox.revision();
    struct Case {
        const char* button;
        bool tl, tc, ep;
    } cases[] = {{"rb_viewtc", false, true, false},
                 {"rb_view_stat", false, false, true},
                 {"rb_viewtl", true, false, false}};
    for (const Case& c : cases) {
        ASSERT_TRUE(form.user_click(c.button));
        EXPECT_EQ(page().box_tl.visible, c.tl) << c.button;
        EXPECT_EQ(page().box_tc.visible, c.tc) << c.button;
        EXPECT_EQ(page().box_ep.visible, c.ep) << c.button;
    }
    EXPECT_EQ(page().trace_graph.revision(), graph);
    EXPECT_EQ(page().touch_graph1.revision(), pies);
    EXPECT_EQ(page().execplan_graph.revision(), plan);
    EXPECT_EQ(page().dispbox.revision(), shown);
}
