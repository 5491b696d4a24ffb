// Loading a netstat archive into the raw table, and the page's two resets.
#include "netstat_support.h"

using namespace kavro;
using namespace kavro::testing;

namespace {

const char* kArchive = "zzz ***Mon Jun 6 10:00:01 CDT 2016\n"
                       "tcp:\n"
                       "\t1000 packets sent\n"
                       "udp:\n"
                       "\t10 datagrams received\n"
                       "zzz ***Mon Jun 6 10:00:31 CDT 2016\n"
                       "tcp:\n"
                       "\t1250 packets sent\n"
                       "udp:\n"
                       "\t12 datagrams received\n";

const std::vector<std::string> kRules = {"packets sent", "datagrams received"};

struct PageState {
    Rows raw, anal;
    std::vector<std::string> chart, items;
    std::string text;
    bool operator==(const PageState&) const = default;
};

PageState state(NetstatPage& p) {
    return {rows(p.nets_raw), rows(p.nets_anal), bars(p.nets_graph), p.net_combo.items(),
            p.net_combo.text()};
}

} // namespace

TEST(NetstatLoad, AppendsEveryLineAfterWhatTheTableHolds) {
    NetstatForm f;
    ASSERT_TRUE(f.load_text("a\n\tb  \n"));
    ASSERT_TRUE(f.load_text(""));
    ASSERT_TRUE(f.load_text("c\r\nd"));
    // The append slot is the last row; the title row stays blank.
    EXPECT_EQ(rows(f.page().nets_trace_grid), (Rows{{"a"}, {"\tb  "}, {"c"}, {"d"}, {""}}));
    EXPECT_EQ(f.page().nets_trace_grid.Cell(0, 0), "");
    EXPECT_EQ(f.page().page_osw_nets.active_tab, 0);
}

TEST(NetstatLoad, MissingFileEndsTheLoadAndKeepsTheTable) {
    NetstatForm f;
    ASSERT_TRUE(f.load_text("a\n"));
    EXPECT_FALSE(f.load("no-such-archive.dat"));
    EXPECT_EQ(f.form.last_error(), "File not found");
    EXPECT_EQ(rows(f.page().nets_trace_grid), (Rows{{"a"}, {""}}));
}

TEST(NetstatClear, ClearAnalysisKeepsLinesAndEntriesAndANewAnalysisGivesTheSameResult) {
    NetstatForm f(kRules);
    ASSERT_TRUE(f.load_text(kArchive));
    ASSERT_TRUE(f.analyse());
    const PageState first = state(f.page());
    ASSERT_EQ(first.items,
              (std::vector<std::string>{"tcp:packets sent", "udp:datagrams received"}));

    ASSERT_TRUE(f.form.user_click("Button15"));
    EXPECT_EQ(rows(f.page().nets_raw), (Rows{{"", "", ""}}));
    EXPECT_EQ(rows(f.page().nets_anal), (Rows{{"", "", "", ""}}));
    EXPECT_EQ(f.page().nets_graph.series_count(), 0);
    EXPECT_EQ(f.page().nets_trace_grid.RowCount(), 12);
    EXPECT_EQ(f.page().net_combo.items(), first.items);
    EXPECT_EQ(f.page().net_combo.text(), first.text);

    ASSERT_TRUE(f.analyse());
    EXPECT_EQ(state(f.page()), first);
}

TEST(NetstatClear, ClearAllLeavesThePageAsAtStartUp) {
    NetstatForm fresh(kRules);
    NetstatForm f(kRules);
    ASSERT_TRUE(f.load_text(kArchive));
    ASSERT_TRUE(f.analyse());
    ASSERT_TRUE(f.form.user_click("Button14"));

    NetstatPage& p = f.page();
    NetstatPage& q = fresh.page();
    for (auto [t, u] : {std::pair{&p.nets_trace_grid, &q.nets_trace_grid},
                        {&p.nets_raw, &q.nets_raw},
                        {&p.nets_anal, &q.nets_anal}}) {
        EXPECT_EQ(t->RowCount(), 2);
        EXPECT_EQ(t->RowSnapshot(0), u->RowSnapshot(0));
        EXPECT_EQ(t->RowSnapshot(1), u->RowSnapshot(1));
    }
    EXPECT_EQ(p.net_combo.count(), 0);
    EXPECT_EQ(p.net_combo.text(), "");
    EXPECT_EQ(p.nets_graph.series_count(), 0);
}
