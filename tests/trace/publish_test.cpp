// Publishing: the timeline, display list, pies, cursor list, plan chart and
// exec_anal filled from the result tables, and the "Analyze" tab in front.
#include "trace_form.h"

#include <sstream>

using namespace kavro;
using namespace kavro::testing;

namespace {

const std::vector<std::string> kTrace = {
    "WAIT #3: nam='db file sequential read' ela= 100 file#=4 block#=55 blocks=1 obj#=77 tim=900",
    "FETCH #3:c=0,e=45,p=0,cr=7,cu=0,mis=0,r=1,dep=0,og=1,tim=920",
    "WAIT #5: nam='db file sequential read' ela= 20 file#=4 block#=57 blocks=1 obj#=77 tim=950",
    "WAIT #3: nam='db file sequential read' ela= 50 file#=4 block#=56 blocks=1 obj#=78 tim=990",
    "STAT #3 id=1 cnt=1 pid=0 pos=1 obj=0 op='SORT AGGREGATE (cr=8 pr=6 pw=0 time=300 us)'",
};

std::vector<std::pair<double, double>> points(const Series& s) {
    std::vector<std::pair<double, double>> out;
    for (int i = 0; i < s.point_count(); ++i) out.emplace_back(s.x(i), s.value(i));
    return out;
}

// Everything a run leaves on the page, as text, to compare two runs.
std::string page_state(TracePage& p) {
    std::ostringstream out;
    for (const StringTable* t : {&p.trace_detail, &p.trace_detail2, &p.touch_grid1, &p.touch_grid2,
                                 &p.execplan_grid, &p.exec_anal}) {
        out << "table " << t->RowCount() << "\n";
        for (const auto& row : rows(*t))
            for (const auto& cell : row) out << cell << "|";
        out << "\n";
    }
    for (const Chart* c : {&p.trace_graph, &p.touch_graph1, &p.touch_graph2, &p.touch_graph3,
                           &p.touch_graph4, &p.execplan_graph}) {
        for (int i = 0; i < c->series_count(); ++i) {
            const Series& s = c->series(i);
            out << "series " << s.title() << ":";
            for (int k = 0; k < s.point_count(); ++k)
                out << s.x(k) << "," << s.value(k) << "," << s.label(k) << ";";
            out << "\n";
        }
    }
    for (const auto& item : p.dispbox.items()) out << "disp " << item << "\n";
    for (const auto& item : p.cursor_combo.items()) out << "cursor " << item << "\n";
    out << "shown " << p.cursor_combo.text() << "\n";
    return out.str();
}

} // namespace

TEST(TracePublish, OneTimelineSeriesPerTitleWithItsPoints) {
    TraceForm t;
    t.wait_rules({"ela=", "obj#="});
    t.fetch_rules({"cr="}, {});
    ASSERT_TRUE(t.analyse(kTrace)) << t.form.last_error();
    const Chart& g = t.page().trace_graph;
    const std::vector<std::string> expected = {
        "#3:db file sequential read(ela=)", "#3:db file sequential read(obj#=)",
        "#5:db file sequential read(ela=)", "#5:db file sequential read(obj#=)", "#3:FETCH(cr=)"};
    EXPECT_EQ(titles(g), expected);
    EXPECT_EQ(t.page().dispbox.items(), expected);
    using P = std::vector<std::pair<double, double>>;
    EXPECT_EQ(points(g.series(0)), (P{{900, 100}, {990, 50}}));
    EXPECT_EQ(points(g.series(1)), (P{{900, 77}, {990, 78}}));
    EXPECT_EQ(points(g.series(2)), (P{{950, 20}}));
    EXPECT_EQ(points(g.series(4)), (P{{920, 7}}));
}

TEST(TracePublish, PiesAndCursorListFromTheTouchTables) {
    TraceForm t;
    t.wait_rules();
    using S = std::vector<std::pair<std::string, double>>;
    ASSERT_TRUE(t.analyse(kTrace)) << t.form.last_error();
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        if (run == 2) {
            ASSERT_TRUE(t.form.user_click("Button2")) << t.form.last_error();
        }
        EXPECT_EQ(slices(t.page().touch_graph1),
                  (S{{"#3:db file sequential read", 150}, {"#5:db file sequential read", 20}}));
        EXPECT_EQ(slices(t.page().touch_graph2),
                  (S{{"#3:db file sequential read", 2}, {"#5:db file sequential read", 1}}));
        EXPECT_EQ(slices(t.page().touch_graph3), (S{{"#3:db file sequential read(obj#=77 )", 77},
                                                    {"#5:db file sequential read(obj#=77 )", 77},
                                                    {"#3:db file sequential read(obj#=78 )", 78}}));
        EXPECT_EQ(slices(t.page().touch_graph4), (S{{"#3:db file sequential read(obj#=77 )", 1},
                                                    {"#5:db file sequential read(obj#=77 )", 1},
                                                    {"#3:db file sequential read(obj#=78 )", 1}}));
        EXPECT_EQ(t.page().cursor_combo.items(), (std::vector<std::string>{"All", "#3:", "#5:"}));
        EXPECT_EQ(t.page().cursor_combo.item_index(), 0);
        EXPECT_EQ(t.page().cursor_combo.text(), "All");
    }
}

TEST(TracePublish, PlanBarsArePaddedToTheWidestOperation) {
    const auto stat = [](const std::string& op, const std::string& stats) {
        return "STAT #3 id=1 cnt=1 pid=0 pos=0 obj=0 op='" + op + " (cr=1 pr=0 pw=0 " + stats;
    };
    const std::string op12(12, 'a'), op20(20, 'b'), op30(30, 'c');
    struct Case {
        std::vector<std::string> lines;
        std::size_t label_length;
    } cases[] = {
        {{stat(op12, "time=5 us)'"), stat(op20, "time=7 us)'")}, 21},
        // an untimed row gets no bar but its width counts
        {{stat(op12, "time=5 us)'"), stat(op30, "us)'"), stat(op20, "time=7 us)'")}, 31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label_length);
        TraceForm t;
        ASSERT_TRUE(t.analyse(c.lines)) << t.form.last_error();
        const Series& bars = t.page().execplan_graph.series(0);
        ASSERT_EQ(bars.point_count(), 2);
        EXPECT_EQ(bars.label(0), op12 + std::string(c.label_length - 12, ' '));
        EXPECT_EQ(bars.label(1), op20 + std::string(c.label_length - 20, ' '));
        EXPECT_EQ(bars.value(0), 5);
        EXPECT_EQ(bars.value(1), 7);
        // exec_anal is the plan table, titles included, without a blank row
        const StringTable& plan = t.page().execplan_grid;
        ASSERT_EQ(t.page().exec_anal.RowCount(), plan.RowCount());
        for (int r = 0; r < plan.RowCount(); ++r)
            EXPECT_EQ(t.page().exec_anal.RowSnapshot(r), plan.RowSnapshot(r));
        EXPECT_EQ(plan.RowCount(), static_cast<int>(c.lines.size()) + 1);
    }
}

TEST(TracePublish, SecondRunGivesWhatTheFirstGave) {
    TraceForm t;
    t.wait_rules({"ela=", "obj#="});
    t.fetch_rules({"cr=", "r="}, {"cr=", "e="});
    ASSERT_TRUE(t.analyse(kTrace)) << t.form.last_error();
    const std::string first = page_state(t.page());
    t.page().Page_SQL_Hist.active_tab = 2;
    // A cursor picked in between leaves no trace: the selector shows "All"
    // again and so does the plan chart's title.
    ASSERT_TRUE(t.form.user_pick("cursor_combo", 2));
    ASSERT_EQ(t.page().execplan_graph.title(), std::vector<std::string>{"Execution Plan(#5:)"});
    ASSERT_TRUE(t.form.user_click("Button2")) << t.form.last_error();
    EXPECT_EQ(page_state(t.page()), first);
    EXPECT_EQ(t.page().execplan_graph.title(), std::vector<std::string>{"Execution Plan(All)"});
    EXPECT_TRUE(analyze_tab_in_front(t.page()));
}

// A table the trace gave no rows publishes nothing: no series titled "()" or
// "", no empty item, no slice or bar, and no error from its blank row.
TEST(TracePublish, TablesWithoutRowsPublishNothing) {
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        std::size_t series, slices1, slices3, cursors, bars;
    } cases[] = {
        {"nothing to find", {"*** 2019-07-09T09:57:07", "PARSE #3:c=0,e=1"}, 0, 0, 0, 1, 0},
        {"waits only", {kTrace[0], kTrace[2]}, 2, 2, 2, 3, 0},
        {"fetches only", {kTrace[1]}, 1, 1, 0, 2, 0},
        {"plan only", {kTrace[4]}, 0, 0, 0, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TraceForm t;
        t.wait_rules();
        t.fetch_rules({"cr="}, {"cr="});
        t.page().Page_SQL_Hist.active_tab = 0;
        ASSERT_TRUE(t.analyse(c.lines)) << t.form.last_error();
        EXPECT_TRUE(analyze_tab_in_front(t.page()));
        const TracePage& p = t.page();
        EXPECT_EQ(titles(p.trace_graph).size(), c.series);
        for (const auto& title : titles(p.trace_graph))
            EXPECT_NE(title.find(':'), std::string::npos);
        EXPECT_EQ(p.dispbox.items(), titles(p.trace_graph));
        EXPECT_EQ(p.touch_graph1.series(0).point_count(), static_cast<int>(c.slices1));
        EXPECT_EQ(p.touch_graph2.series(0).point_count(), static_cast<int>(c.slices1));
        EXPECT_EQ(p.touch_graph3.series(0).point_count(), static_cast<int>(c.slices3));
        EXPECT_EQ(p.touch_graph4.series(0).point_count(), static_cast<int>(c.slices3));
        EXPECT_EQ(p.cursor_combo.items().size(), c.cursors);
        for (const auto& item : p.cursor_combo.items()) EXPECT_FALSE(item.empty());
        EXPECT_EQ(p.execplan_graph.series(0).point_count(), static_cast<int>(c.bars));
    }
}

TEST(TracePublish, NonNumberEndsPublishingWhereItIsMet) {
    struct Case {
        const char* what;
        std::vector<std::string> plotted; // tracerules_grid1
        std::string bad_line;
        std::string error;
        int points_of_first_series; // of the good line's series
        int slices;                 // of touch_graph1
    } cases[] = {
        {"wait line without tim=",
         {"ela="},
         "WAIT #3: nam='e' ela= 1",
         "'T #3: nam='e' ela= 1' is not a valid floating point value",
         1,
         0},
        {"plotted value that is no number",
         {"ela="},
         "WAIT #3: nam='e' ela= abc tim=5",
         "'abc' is not a valid floating point value",
         1,
         0},
        // only summed: the pie is the first to convert it
        {"summed value that is no number",
         {},
         "WAIT #3: nam='e' ela= abc tim=5",
         "'abc' is not a valid floating point value",
         -1,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TraceForm t;
        t.wait_rules(c.plotted, {"ela="}, {});
        t.page().Page_SQL_Hist.active_tab = 2;
        for (int run = 0; run < 2; ++run) { // a second run fails the same way
            EXPECT_FALSE(t.analyse({"WAIT #1: nam='ok' ela= 4 tim=2", c.bad_line}));
            EXPECT_EQ(t.form.last_error(), c.error);
            const Chart& g = t.page().trace_graph;
            if (c.points_of_first_series >= 0) {
                ASSERT_EQ(g.series_count(), 2);
                EXPECT_EQ(g.series(0).point_count(), c.points_of_first_series);
                EXPECT_EQ(g.series(1).point_count(), 0);
            }
            EXPECT_EQ(t.page().touch_graph1.series(0).point_count(), c.slices);
            EXPECT_EQ(t.page().cursor_combo.count(), 1);
            EXPECT_EQ(t.page().Page_SQL_Hist.active_tab, 2);
        }
    }
}

TEST(TracePublish, ErrorQuotingALongLineIsCut) {
    TraceForm t;
    t.wait_rules({"ela="}, {}, {});
    const std::string line = "WAIT #3: nam='e' ela= 1 " + std::string(5000, 'x');
    EXPECT_FALSE(t.analyse({line}));
    const std::string& error = t.form.last_error();
    EXPECT_EQ(error.size(), 203u);
    EXPECT_EQ(error.substr(0, 20), "'T #3: nam='e' ela= ");
    EXPECT_EQ(error.substr(200), "...");
}
