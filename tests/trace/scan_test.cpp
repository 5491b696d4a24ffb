// The trace scan's general statistics: trace_detail from wait lines,
// trace_detail2 from fetch lines, and the tests and cuts they share.
#include "trace_form.h"

using namespace kavro;
using namespace kavro::testing;

namespace {
const std::string kWait = "WAIT #3: nam='db file sequential read' ela= 123 file#=4 block#=55 "
                          "blocks=1 obj#=77 tim=987";
const std::string kFetch = "FETCH #3:c=0,e=45,p=0,cr=7,cu=0,mis=0,r=1,dep=0,og=1,tim=990";
} // namespace

TEST(TraceScan, WaitLineGivesOneRowPerMatchingMetricInRuleOrder) {
    TraceForm t;
    t.wait_rules({"ela=", "obj#="});
    ASSERT_TRUE(t.analyse({kWait})) << t.form.last_error();
    EXPECT_EQ(rows(t.page().trace_detail),
              (Rows{{"#3:db file sequential read", "123", "ela=", "987"},
                    {"#3:db file sequential read", "77", "obj#=", "987"}}));
}

TEST(TraceScan, FetchLineGivesOneRowPerMatchingMetric) {
    TraceForm t;
    t.fetch_rules({"cr=", "r=", "e="}, {});
    ASSERT_TRUE(t.analyse({kFetch})) << t.form.last_error();
    // r= reads the rows of r=1, not the 7 that follows the r= inside cr=.
    EXPECT_EQ(rows(t.page().trace_detail2), (Rows{{"#3:FETCH(cr=)", "7", "990"},
                                                  {"#3:FETCH(r=)", "1", "990"},
                                                  {"#3:FETCH(e=)", "45", "990"}}));
}

// How one wait line and one metric are cut: the rule must start a field,
// values end at a blank and after 20 characters, the event name lies between
// the containers.
TEST(TraceScan, CutsOfAWaitLine) {
    struct Case {
        const char* what;
        std::string rule;
        std::string line;
        Rows detail; // trace_detail after the run
    } cases[] = {
        {"metric at the line start never matches", "WAIT", kWait, {}},
        {"occurrence after a letter, digit or _ is passed over",
         "ela=",
         "WAIT #3: nam='e' xela= 1 x_ela= 2 9ela= 3 ela= 4 tim=5",
         {{"#3:e", "4", "ela=", "5"}}},
        {"value right after the rule",
         "ela=",
         "WAIT #3: nam='e' ela=11 tim=5",
         {{"#3:e", "11", "ela=", "5"}}},
        {"value cut at 20 characters",
         "ela=",
         "WAIT #3: nam='e' ela=123456789012345678901234 tim=5",
         {{"#3:e", "12345678901234567890", "ela=", "5"}}},
        {"value at the line end",
         "tim=",
         "WAIT #3: nam='e' ela= 1 tim=5",
         {{"#3:e", "5", "tim=", "5"}}},
        {"no closing container",
         "ela=",
         "WAIT #3: nam='half ela= 1 tim=5",
         {{"#3:half ela= 1 tim=5", "1", "ela=", "5"}}},
        {"no container at all",
         "ela=",
         "WAIT #3: nam=bare ela= 1 tim=5",
         {{"#3:bare ela= 1 tim=5", "1", "ela=", "5"}}},
        {"no # takes the reference from the line start",
         "ela=",
         "WAIT 3: nam='e' ela= 1 tim=5",
         {{"WAIT 3: e", "1", "ela=", "5"}}},
        {"no tim= takes the time from the fourth character",
         "ela=",
         "WAIT #3: nam='e' ela= 1",
         {{"#3:e", "1", "ela=", "T #3: nam='e' ela= 1"}}},
        {"leading blank is no wait line", "ela=", " " + kWait, {}},
        {"indicator is compared with case", "ela=", "wait #3: nam='e' ela= 1 tim=5", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TraceForm t;
        t.wait_rules({c.rule}, {}, {});
        t.load({c.line});
        t.form.user_click("Button2"); // the line without tim= fails later, in publishing
        EXPECT_EQ(rows(t.page().trace_detail), c.detail);
    }
}

TEST(TraceScan, EmptyIndicatorOrIdentifierSwitchesTheAnalysisOff) {
    for (const char* field : {"gts_waitind", "gts_metric", "gts_fetchind"}) {
        SCOPED_TRACE(field);
        TraceForm t;
        t.wait_rules();
        t.fetch_rules({"cr="}, {});
        ASSERT_TRUE(t.form.user_set(field, ""));
        ASSERT_TRUE(t.analyse({kWait, kFetch})) << t.form.last_error();
        const bool wait_off = std::string(field) != "gts_fetchind";
        EXPECT_EQ(rows(t.page().trace_detail).size(), wait_off ? 0u : 1u);
        EXPECT_EQ(rows(t.page().trace_detail2).size(), wait_off ? 1u : 0u);
    }
}

TEST(TraceScan, EditedRulesTakeEffectInTheNextRun) {
    TraceForm t;
    t.wait_rules();
    ASSERT_TRUE(t.form.user_set("gts_waitind", "W"));
    ASSERT_TRUE(t.form.user_set("gts_metric", "nam"));
    ASSERT_TRUE(t.form.user_set("gts_cont", "="));
    ASSERT_TRUE(t.analyse({kWait})) << t.form.last_error();
    // The rest after nam, past the first "=", up to the next "=".
    EXPECT_EQ(rows(t.page().trace_detail),
              (Rows{{"#3:'db file sequential read' ela", "123", "ela=", "987"}}));
}

TEST(TraceScan, EmptyTraceStillPublishes) {
    TraceForm t;
    t.wait_rules();
    ASSERT_TRUE(t.analyse({})) << t.form.last_error();
    EXPECT_TRUE(rows(t.page().trace_detail).empty());
    EXPECT_TRUE(analyze_tab_in_front(t.page()));
}

// The result cells cut from the lines point into trace_grid's storage: a new
// load or Clear All of the lines must leave what they read as it was.
TEST(TraceScan, ResultsReadTheSameWhenTheLinesAreReplaced) {
    TraceForm t;
    t.wait_rules({"ela=", "obj#="}, {"ela="}, {"obj#="});
    t.fetch_rules({"cr=", "e="}, {"e="});
    const std::vector<std::string> trace = {
        kWait, kFetch,
        "WAIT #3: nam='db file sequential read' ela= 123456789 file#=4 block#=55 blocks=1 "
        "obj#=7777777777 tim=98765432109876",
        "STAT #3 id=1 cnt=1 pid=0 pos=1 obj=0 op='SORT AGGREGATE (cr=8 pr=6 pw=0 time=300 us)'"};
    ASSERT_TRUE(t.analyse(trace)) << t.form.last_error();
    TracePage& p = t.page();
    const std::vector<const StringTable*> results = {&p.trace_detail,  &p.trace_detail2,
                                                     &p.touch_grid1,   &p.touch_grid2,
                                                     &p.execplan_grid, &p.exec_anal};
    std::vector<Rows> before;
    for (const StringTable* r : results) before.push_back(rows(*r));
    ASSERT_EQ(before[0].back()[3], "98765432109876");

    t.load({std::string(500, 'x'), "WAIT #9: nam='other' ela= 1 tim=2"});
    for (std::size_t i = 0; i < results.size(); ++i) EXPECT_EQ(rows(*results[i]), before[i]) << i;
    p.trace_grid.ResetTable();
    for (std::size_t i = 0; i < results.size(); ++i) EXPECT_EQ(rows(*results[i]), before[i]) << i;

    // A second run on the new lines replaces the results whole.
    ASSERT_TRUE(t.analyse(trace)) << t.form.last_error();
    for (std::size_t i = 0; i < results.size(); ++i) EXPECT_EQ(rows(*results[i]), before[i]) << i;
    ASSERT_TRUE(t.form.user_click("Button104")) << t.form.last_error(); // Clear All
    EXPECT_TRUE(rows(p.trace_detail).empty());
    EXPECT_EQ(p.trace_grid.RowCount(), 2);
}
