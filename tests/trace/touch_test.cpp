// Touch counts: touch_grid1 per cursor and event or fetch metric,
// touch_grid2 per cursor, event and object.
#include "core/error.h"
#include "trace_form.h"

using namespace kavro;
using namespace kavro::testing;

namespace {
const std::vector<std::string> kThreeWaits = {
    "WAIT #3: nam='db file sequential read' ela= 100 file#=4 block#=55 blocks=1 obj#=77 tim=900",
    "WAIT #3: nam='db file sequential read' ela= 50 file#=4 block#=56 blocks=1 obj#=78 tim=950",
    "WAIT #5: nam='db file sequential read' ela= 20 file#=4 block#=57 blocks=1 obj#=77 tim=990",
};
} // namespace

TEST(TraceTouch, SumsAndCountsPerKeyInFirstOccurrenceOrder) {
    TraceForm t;
    t.wait_rules();
    ASSERT_TRUE(t.analyse(kThreeWaits)) << t.form.last_error();
    EXPECT_EQ(rows(t.page().touch_grid1), (Rows{{"#3:db file sequential read", "150", "2"},
                                                {"#5:db file sequential read", "20", "1"}}));
    EXPECT_EQ(rows(t.page().touch_grid2),
              (Rows{{"#3:db file sequential read(obj#=77 )", "77", "1"},
                    {"#3:db file sequential read(obj#=78 )", "78", "1"},
                    {"#5:db file sequential read(obj#=77 )", "77", "1"}}));
}

TEST(TraceTouch, KeysOfWaitAndFetchLines) {
    TraceForm t;
    t.wait_rules({}, {"ela=", "obj#="}, {"obj#="});
    t.fetch_rules({}, {"cr=", "e=", "r="});
    ASSERT_TRUE(t.analyse({
        kThreeWaits[0], "FETCH #3:c=0,e=45,p=0,cr=7,cu=0,mis=0,r=1,dep=0,og=1,tim=990",
        "WAIT #3: nam='DB FILE SEQUENTIAL READ' ela= 1 obj#=5 tim=999",
        "WAIT #3: nam='x' ela= 1 obj#=9", // no blank after the object
    })) << t.form.last_error();
    EXPECT_EQ(rows(t.page().touch_grid1),
              (Rows{// both wait metrics of the line add into the one row of its event
                    {"#3:db file sequential read", "177", "2"},
                    {"#3:FETCH(cr=)", "7", "1"},
                    {"#3:FETCH(e=)", "45", "1"},
                    {"#3:FETCH(r=)", "1", "1"},
                    {"#3:DB FILE SEQUENTIAL READ", "6", "2"},
                    {"#3:x", "10", "2"}}));
    EXPECT_EQ(rows(t.page().touch_grid2), (Rows{{"#3:db file sequential read(obj#=77 )", "77", "1"},
                                                {"#3:DB FILE SEQUENTIAL READ(obj#=5 )", "5", "1"},
                                                {"#3:x()", "9", "1"}}));
}

// The Time column after each occurrence of one key: the first value as cut,
// then the sum in the general number format, rounded to 15 digits.
TEST(TraceTouch, TimeTextAfterEachOccurrence) {
    struct Case {
        std::vector<std::string> values;
        std::string time;
        std::string count;
    } cases[] = {
        {{"007"}, "007", "1"},
        {{"007", "5"}, "12", "2"},
        {{"1.50"}, "1.50", "1"},
        {{"0.1", "0.2", "0.1"}, "0.4", "3"},
        {{"2.5", "-0.5", "1e1"}, "12", "3"},
        {{"999999999999999", "1"}, "1E15", "2"},
        {{"999999999999999", "1", "1"}, "1E15", "3"},
        {{"123456789012345", "0.5"}, "123456789012346", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.values.front() + " +" + std::to_string(c.values.size() - 1));
        TraceForm t;
        t.wait_rules({}, {"ela="}, {});
        std::vector<std::string> lines;
        for (const auto& v : c.values) lines.push_back("WAIT #1: nam='e' ela= " + v + " tim=1");
        ASSERT_TRUE(t.analyse(lines)) << t.form.last_error();
        EXPECT_EQ(rows(t.page().touch_grid1), (Rows{{"#1:e", c.time, c.count}}));
    }
}

TEST(TraceTouch, ManyKeysKeepTheirRowsAndOrder) {
    TraceForm t;
    t.wait_rules({}, {"ela="}, {});
    std::vector<std::string> lines;
    for (int round = 1; round <= 3; ++round)
        for (int k = 0; k < 500; ++k)
            lines.push_back("WAIT #" + std::to_string(k % 7) + ": nam='event " + std::to_string(k) +
                            "' ela= " + std::to_string(round) + " tim=1");
    ASSERT_TRUE(t.analyse(lines)) << t.form.last_error();
    const Rows got = rows(t.page().touch_grid1);
    ASSERT_EQ(got.size(), 500u);
    for (int k = 0; k < 500; ++k)
        EXPECT_EQ(got[static_cast<std::size_t>(k)],
                  (std::vector<std::string>{
                      "#" + std::to_string(k % 7) + ":event " + std::to_string(k), "6", "3"}));
}

TEST(TraceTouch, NonNumberOnASecondOccurrenceEndsTheRunKeepingEarlierSums) {
    TraceForm t;
    t.wait_rules();
    std::vector<std::string> lines = kThreeWaits;
    lines.push_back("WAIT #3: nam='db file sequential read' ela= 5 obj#=78 tim=1000");
    lines.push_back("WAIT #3: nam='db file sequential read' ela= x7 obj#=79 tim=1010");
    lines.push_back("WAIT #3: nam='db file sequential read' ela= 1 obj#=80 tim=1020");
    EXPECT_FALSE(t.analyse(lines));
    EXPECT_EQ(t.form.last_error(), "'x7' is not a valid floating point value");
    // The failing line went through the general statistics first; nothing
    // after it was scanned and nothing was published.
    EXPECT_EQ(t.page().trace_detail.RowCount(), 7);
    EXPECT_EQ(t.page().trace_detail.Cell(1, 5), "x7");
    EXPECT_EQ(rows(t.page().touch_grid1), (Rows{{"#3:db file sequential read", "155", "3"},
                                                {"#5:db file sequential read", "20", "1"}}));
    EXPECT_EQ(rows(t.page().touch_grid2),
              (Rows{{"#3:db file sequential read(obj#=77 )", "77", "1"},
                    {"#3:db file sequential read(obj#=78 )", "156", "2"},
                    {"#5:db file sequential read(obj#=77 )", "77", "1"}}));
    EXPECT_EQ(t.page().trace_graph.series_count(), 0);
    EXPECT_FALSE(analyze_tab_in_front(t.page()));
}

// Cancelling the analysis from the progress dialog ends it like any error:
// the sums of the lines scanned before stay, written out.
TEST(TraceTouch, CancelledRunKeepsTheSumsOfTheLinesScanned) {
    struct CancelAtOnce : ProgressSink {
        void progress(std::uint64_t, std::uint64_t, std::string_view) override {
            throw Error("Cancelled by user");
        }
    } cancel;
    TraceForm t;
    t.wait_rules();
    t.load(std::vector<std::string>(40000, "WAIT #1: nam='e' ela= 2 obj#=7 tim=1"));
    t.form.progress = &cancel;
    EXPECT_FALSE(t.form.user_click("Button2"));
    EXPECT_EQ(t.form.last_error(), "Cancelled by user");
    const int scanned = t.page().trace_detail.RowCount() - 2;
    ASSERT_GT(scanned, 1);
    ASSERT_LT(scanned, 40000);
    EXPECT_EQ(rows(t.page().touch_grid1),
              (Rows{{"#1:e", std::to_string(2 * scanned), std::to_string(scanned)}}));
    EXPECT_EQ(rows(t.page().touch_grid2),
              (Rows{{"#1:e(obj#=7 )", std::to_string(7 * scanned), std::to_string(scanned)}}));
}
