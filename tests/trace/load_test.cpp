// Loading a trace file into trace_grid, and Clear All.
#include "trace_form.h"

using namespace kavro;
using namespace kavro::testing;

namespace {

std::vector<std::string> loaded_lines(const StringTable& grid) {
    std::vector<std::string> out;
    for (int r = 1; r < grid.RowCount() - 1; ++r) out.emplace_back(grid.Cell(0, r));
    return out;
}

// The page as Clear All leaves it: titles and one blank row per table, no
// timeline series, the other charts with their one empty series.
void expect_cleared(TracePage& p) {
    for (const StringTable* t : {&p.trace_grid, &p.trace_detail, &p.trace_detail2, &p.touch_grid1,
                                 &p.touch_grid2, &p.execplan_grid, &p.exec_anal}) {
        EXPECT_EQ(t->RowCount(), 2);
        for (int c = 0; c < t->ColCount(); ++c) EXPECT_EQ(t->Cell(c, 1), "");
    }
    EXPECT_EQ(p.trace_detail.Cell(0, 0), "Event");
    EXPECT_EQ(p.execplan_grid.Cell(7, 0), "Time(us)");
    EXPECT_EQ(p.cursor_combo.items(), std::vector<std::string>{"All"});
    EXPECT_EQ(p.cursor_combo.text(), "");
    EXPECT_EQ(p.trace_graph.series_count(), 0);
    for (const Chart* c :
         {&p.touch_graph1, &p.touch_graph2, &p.touch_graph3, &p.touch_graph4, &p.execplan_graph}) {
        ASSERT_EQ(c->series_count(), 1);
        EXPECT_EQ(c->series(0).point_count(), 0);
    }
    EXPECT_EQ(p.dispbox.count(), 0);
    EXPECT_EQ(p.hidebox.count(), 0);
    EXPECT_EQ(p.execplan_graph.title(), std::vector<std::string>{"Execution Plan(All)"});
}

} // namespace

TEST(TraceLoad, EveryLineBecomesOneRowWhole) {
    struct Case {
        const char* what;
        std::string content;
        std::vector<std::string> lines;
    } cases[] = {
        {"empty file", "", {}},
        {"empty line kept", "a\n\nc\n", {"a", "", "c"}},
        {"last line without a break", "a\nb", {"a", "b"}},
        {"windows line ends", "a\r\nb\r\n", {"a", "b"}},
        {"blanks and tabs kept", "  WAIT #1:\t x \n", {"  WAIT #1:\t x "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TraceForm t;
        t.page().SQLIdList.text = t.dir.file("f.trc", c.content);
        ASSERT_TRUE(t.form.user_click("Button102")) << t.form.last_error();
        const StringTable& grid = t.page().trace_grid;
        EXPECT_EQ(grid.RowCount(), static_cast<int>(c.lines.size()) + 2);
        EXPECT_EQ(loaded_lines(grid), c.lines);
        EXPECT_EQ(grid.Cell(0, grid.RowCount() - 1), "");
        EXPECT_EQ(grid.Cell(0, 0), "Trace Line");
    }
}

TEST(TraceLoad, MissingFileReportsAndLeavesTheGridReset) {
    TraceForm t;
    t.load({"first", "second"});
    t.page().SQLIdList.text = (t.dir.path() / "no-such.trc").string();
    EXPECT_FALSE(t.form.user_click("Button102"));
    EXPECT_EQ(t.form.last_error(), "File not found");
    EXPECT_EQ(t.page().trace_grid.RowCount(), 2);
    EXPECT_EQ(t.page().trace_grid.Cell(0, 1), "");
}

TEST(TraceLoad, SecondLoadReplacesOnlyTheLines) {
    TraceForm t;
    t.wait_rules();
    ASSERT_TRUE(t.analyse({"WAIT #3: nam='x' ela= 5 obj#=1 tim=10", "tail"}));
    // A name without a folder is taken from the current directory.
    t.dir.file("second.trc", "only line\n");
    t.page().SQLIdList.text = "second.trc";
    {
        ChangeDir here(t.dir.path());
        ASSERT_TRUE(t.form.user_click("Button102")) << t.form.last_error();
    }
    EXPECT_EQ(loaded_lines(t.page().trace_grid), std::vector<std::string>{"only line"});
    EXPECT_EQ(rows(t.page().trace_detail), (Rows{{"#3:x", "5", "ela=", "10"}}));
    EXPECT_EQ(t.page().trace_graph.series_count(), 1);
}

TEST(TraceClearAll, EmptiesEverythingTheAnalysisFilledAndKeepsTheRest) {
    TraceForm t;
    expect_cleared(t.page()); // a fresh window already looks cleared
    ASSERT_TRUE(t.form.user_click("Button104"));
    expect_cleared(t.page());

    t.wait_rules();
    t.fetch_rules({"cr="}, {"cr="});
    ASSERT_TRUE(t.analyse({
        "WAIT #3: nam='db file sequential read' ela= 100 obj#=77 tim=900",
        "FETCH #3:c=0,e=45,p=0,cr=7,cu=0,mis=0,r=1,dep=0,og=1,tim=990",
        "STAT #3 id=1 cnt=1 pid=0 pos=1 obj=0 op='SORT AGGREGATE (cr=8 pr=6 pw=0 time=300 us)'",
    })) << t.form.last_error();
    ASSERT_GT(t.page().trace_graph.series_count(), 0);
    ASSERT_TRUE(t.form.user_pick("cursor_combo", 1)); // the plan chart titled for #3:
    const std::string file = t.page().SQLIdList.text;
    const bool tl = t.page().rb_viewtl.checked();
    const bool three_d = t.page().graph_3d.checked();
    const int zoom = t.page().trace_graph_zoom.position();

    ASSERT_TRUE(t.form.user_click("Button104"));
    expect_cleared(t.page());
    EXPECT_EQ(t.page().SQLIdList.text, file);
    EXPECT_EQ(t.page().rb_viewtl.checked(), tl);
    EXPECT_EQ(t.page().graph_3d.checked(), three_d);
    EXPECT_EQ(t.page().trace_graph_zoom.position(), zoom);
    EXPECT_EQ(rows(t.rules().tracerules_grid1), (Rows{{"ela="}}));
}

// A trace written on Windows: the line ends must not reach the cells, or the
// times at the line ends would not convert.
TEST(TraceLoad, WindowsTraceAnalysesLikeAnyOther) {
    TraceForm t;
    t.wait_rules();
    t.fetch_rules({"cr="}, {"cr="});
    t.page().SQLIdList.text = fixture("trace/windows_line_ends.trc").string();
    ASSERT_TRUE(t.form.user_click("Button102")) << t.form.last_error();
    EXPECT_EQ(t.page().trace_grid.RowCount(), 17 + 2);
    EXPECT_EQ(t.page().trace_grid.Cell(0, 3), "");
    ASSERT_TRUE(t.form.user_click("Button2")) << t.form.last_error();
    EXPECT_EQ(rows(t.page().trace_detail),
              (Rows{{"#3:db file sequential read", "100", "ela=", "900"},
                    {"#3:db file sequential read", "50", "ela=", "950"},
                    {"#5:db file sequential read", "20", "ela=", "990"}}));
    EXPECT_EQ(rows(t.page().trace_detail2), (Rows{{"#3:FETCH(cr=)", "7", "960"}}));
    EXPECT_EQ(rows(t.page().execplan_grid), (Rows{{"#3:", "14", "512", " TABLE ACCESS FULL EMP",
                                                   "8", "6", "0", "236", "3", "532", "14"}}));
    EXPECT_EQ(t.page().cursor_combo.items(), (std::vector<std::string>{"All", "#3:", "#5:"}));
    EXPECT_TRUE(analyze_tab_in_front(t.page()));
}
