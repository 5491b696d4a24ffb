// Execution-plan extraction: one execplan_grid row per STAT line.
#include "trace_form.h"

using namespace kavro;
using namespace kavro::testing;

namespace {
std::string stat_line(const std::string& pos, const std::string& tail) {
    return "STAT #3 id=2 cnt=14 pid=1 pos=" + pos + " obj=512 op='" + tail;
}
const std::string kEmp = "TABLE ACCESS FULL EMP (cr=8 pr=6 pw=0 time=236 us cost=3 size=532 "
                         "card=14)'";
} // namespace

TEST(TracePlan, StatLinesBecomeRows) {
    struct Case {
        const char* what;
        std::string line;
        Rows plan;
    } cases[] = {
        {"current form",
         stat_line("1", kEmp),
         {{"#3:", "14", "512", " TABLE ACCESS FULL EMP", "8", "6", "0", "236", "3", "532", "14"}}},
        {"pos 3 indents by five",
         stat_line("3", kEmp),
         {{"#3:", "14", "512", "     TABLE ACCESS FULL EMP", "8", "6", "0", "236", "3", "532",
           "14"}}},
        {"pos 0 does not indent",
         stat_line("0", kEmp),
         {{"#3:", "14", "512", "TABLE ACCESS FULL EMP", "8", "6", "0", "236", "3", "532", "14"}}},
        {"negative pos does not indent",
         stat_line("-4", kEmp),
         {{"#3:", "14", "512", "TABLE ACCESS FULL EMP", "8", "6", "0", "236", "3", "532", "14"}}},
        {"older form without cost, size and card",
         "STAT #3 id=1 cnt=1 pid=0 pos=1 obj=0 op='SORT AGGREGATE (cr=8 pr=6 pw=0 time=300 us)'",
         {{"#3:", "1", "0", " SORT AGGREGATE", "8", "6", "0", "300", "", "", ""}}},
        {"older form with a long time",
         "STAT #3 id=1 cnt=1 pid=0 pos=1 obj=0 op='SORT AGGREGATE (cr=8 pr=6 pw=0 time=123456 "
         "us)'",
         {{"#3:", "1", "0", " SORT AGGREGATE", "8", "6", "0", "123456", "56", "", ""}}},
        {"fields between pw and time",
         "STAT #7 id=1 cnt=1 pid=0 pos=1 obj=0 op='FIXED TABLE FULL X$DIAG_INFO (cr=0 pr=0 pw=0 "
         "str=1 time=60 dr=0 dw=0 us cost=0 size=50 card=1)'",
         {{"#7:", "1", "0", " FIXED TABLE FULL X$DIAG_INFO", "0", "0", "0", "60", "0", "50", "1"}}},
        {"lower-case stat is no plan line",
         "stat #3 id=1 cnt=1 pos=1 obj=0 op='X (cr=1 time=1'",
         {}},
        {"leading blank is no plan line", " " + stat_line("1", kEmp), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TraceForm t;
        ASSERT_TRUE(t.analyse({c.line})) << t.form.last_error();
        EXPECT_EQ(rows(t.page().execplan_grid), c.plan);
    }
}

TEST(TracePlan, IndentStopsAtThousandLevels) {
    TraceForm t;
    ASSERT_TRUE(t.analyse({stat_line("1000", kEmp), stat_line("2000000000", kEmp)}))
        << t.form.last_error();
    const std::string indented = std::string(1999, ' ') + "TABLE ACCESS FULL EMP";
    EXPECT_EQ(t.page().execplan_grid.Cell(3, 1), indented);
    EXPECT_EQ(t.page().execplan_grid.Cell(3, 2), indented);
}

TEST(TracePlan, RowsOfOneCursorStayApartInTraceOrder) {
    TraceForm t;
    ASSERT_TRUE(t.analyse({stat_line("1", kEmp), "EXEC #3:c=0", stat_line("2", kEmp)}))
        << t.form.last_error();
    const Rows plan = rows(t.page().execplan_grid);
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[0][3], " TABLE ACCESS FULL EMP");
    EXPECT_EQ(plan[1][3], "   TABLE ACCESS FULL EMP");
}

TEST(TracePlan, PosThatIsNoIntegerEndsTheRunWithItsCutsInTheSlot) {
    for (const std::string pos : {"1.5", "x", ""}) {
        SCOPED_TRACE(pos);
        TraceForm t;
        t.wait_rules();
        EXPECT_FALSE(t.analyse({stat_line("1", kEmp), "WAIT #3: nam='e' ela= 1 obj#=2 tim=3",
                                "STAT #9 id=1 cnt=4 pid=0 pos=" + pos + " obj=1 op='X (cr=1'",
                                "WAIT #3: nam='e' ela= 9 obj#=2 tim=4"}));
        EXPECT_EQ(t.form.last_error(), "'" + pos + "' is not a valid integer value");
        const StringTable& plan = t.page().execplan_grid;
        ASSERT_EQ(plan.RowCount(), 3); // one committed row and the slot
        EXPECT_EQ(plan.Cell(3, 1), " TABLE ACCESS FULL EMP");
        EXPECT_EQ(plan.RowSnapshot(2),
                  (std::vector<std::string>{"#9:", "4", "", "", "", "", "", "", "", "", ""}));
        // The wait line before it was counted, the one after it was not.
        EXPECT_EQ(rows(t.page().touch_grid1), (Rows{{"#3:e", "1", "1"}}));
        EXPECT_EQ(t.page().exec_anal.RowCount(), 2);
        EXPECT_FALSE(analyze_tab_in_front(t.page()));
    }
}
