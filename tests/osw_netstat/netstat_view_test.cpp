// The metric view: one metric's records with their growth, and its bars.
#include "netstat_support.h"

#include "osw_netstat/netstat_analysis.h"

using namespace kavro;
using namespace kavro::testing;

namespace {

// One snapshot a minute holding "tcp:" and one counter of `wording` per
// Total, in the order given.
std::string archive(const std::vector<std::string>& totals,
                    const std::string& wording = "packets sent") {
    std::string text;
    int minute = 0;
    for (const std::string& total : totals) {
        text += "zzz ***Mon Jun 6 10:0" + std::to_string(minute++) + ":00 CDT 2016\n";
        text += "tcp:\n\t" + total + " " + wording + "\n";
    }
    return text;
}

} // namespace

TEST(NetstatView, WorkedExampleGivesTheGrowthBetweenSnapshots) {
    NetstatForm f({"packets sent", "datagrams received"});
    ASSERT_TRUE(f.load_text(archive({"1000", "1250", "1700"}) + "udp:\n\t7 datagrams received\n"));
    ASSERT_TRUE(f.analyse());
    // Picking a metric rebuilds the view but leaves the tab alone.
    ASSERT_TRUE(f.form.user_tab("page_osw_nets", 2));
    ASSERT_TRUE(f.pick("udp:datagrams received"));
    ASSERT_TRUE(f.pick("tcp:packets sent"));
    NetstatPage& p = f.page();
    EXPECT_EQ(rows(p.nets_anal),
              (Rows{{"***Mon Jun 6 10:00:00", "tcp:packets sent", "1000", "0"},
                    {"***Mon Jun 6 10:01:00", "tcp:packets sent", "1250", "250"},
                    {"***Mon Jun 6 10:02:00", "tcp:packets sent", "1700", "450"}}));
    EXPECT_EQ(bars(p.nets_graph),
              (std::vector<std::string>{"tcp:packets sent: 0@***Mon Jun 6 10:00:00 "
                                        "250@***Mon Jun 6 10:01:00 450@***Mon Jun 6 10:02:00"}));
    const Series& s = p.nets_graph.series(0);
    EXPECT_EQ(s.kind(), SeriesKind::Bar);
    EXPECT_FALSE(s.marks_visible());
    EXPECT_EQ(p.page_osw_nets.active_tab, 2);
}

TEST(NetstatView, DeltaIsTheDifferenceInGeneralNumberFormat) {
    struct Case {
        std::vector<std::string> totals;
        std::vector<std::string> deltas;
    } cases[] = {
        {{"5"}, {"0"}},                                    // one snapshot
        {{"1000", "900"}, {"0", "-100"}},                  // a restart
        {{"0.1", "0.3"}, {"0", "0.2"}},                    // 15 digits, no noise
        {{"1.5", "1.25"}, {"0", "-0.25"}},                 //
        {{"282605781234", "282605790000"}, {"0", "8766"}}, // octet counters
        {{"-5", "5", "+7"}, {"0", "10", "2"}},             //
        {{"99999999999999999", "199999999999999999"}, {"0", "1E17"}},
        {{"0.00001", "0.00003"}, {"0", "2E-5"}},
        {{"1E20", "3e20"}, {"0", "2E20"}},
    };
    for (const Case& c : cases) {
        NetstatForm f({"packets sent"});
        ASSERT_TRUE(f.load_text(archive(c.totals)));
        ASSERT_TRUE(f.analyse()) << c.totals.back();
        EXPECT_EQ(f.deltas(), c.deltas) << c.totals.back();
        const Series& s = f.page().nets_graph.series(0);
        ASSERT_EQ(s.point_count(), static_cast<int>(c.deltas.size()));
        for (int i = 0; i < s.point_count(); ++i)
            EXPECT_EQ(s.value(i), StrToFloat(c.deltas[static_cast<std::size_t>(i)]));
    }
}

TEST(NetstatView, TypedTextRebuildsTheViewOnEveryKeystroke) {
    NetstatForm f({"packets sent"});
    ASSERT_TRUE(f.load_text(archive({"1000", "1250"})));
    ASSERT_TRUE(f.analyse());
    // A text that names no metric: the empty slot gets its Delta, and the
    // bars draw that one row under an empty title.
    ASSERT_TRUE(f.form.user_set("net_combo", "tcp:packets sen"));
    EXPECT_EQ(rows(f.page().nets_anal), (Rows{{"", "", "", "0"}}));
    EXPECT_EQ(bars(f.page().nets_graph), (std::vector<std::string>{": 0@"}));

    ASSERT_TRUE(f.form.user_set("net_combo", "tcp:packets sent"));
    EXPECT_EQ(f.deltas(), (std::vector<std::string>{"0", "250"}));
    EXPECT_EQ(f.page().nets_graph.series_count(), 1);
}

TEST(NetstatView, PickingAnotherEntryReplacesTableAndChart) {
    NetstatForm f({"packets sent", "datagrams received"});
    ASSERT_TRUE(f.load_text(archive({"1000", "1250"}) + "udp:\n\t7 datagrams received\n"));
    ASSERT_TRUE(f.analyse());
    ASSERT_EQ(f.page().nets_anal.RowCount(), 3);
    ASSERT_TRUE(f.pick("udp:datagrams received"));
    EXPECT_EQ(rows(f.page().nets_anal),
              (Rows{{"***Mon Jun 6 10:01:00", "udp:datagrams received", "7", "0"}}));
    EXPECT_EQ(bars(f.page().nets_graph),
              (std::vector<std::string>{"udp:datagrams received: 0@***Mon Jun 6 10:01:00"}));
}

TEST(NetstatView, TotalThatIsNotANumberStopsTheViewAndKeepsWhatWasDone) {
    struct Case {
        std::vector<std::string> totals;
        std::string message;
        std::vector<std::string> deltas; // as the failure left them
    } cases[] = {
        {{"10", "12", "oops", "20"},
         "'oops' is not a valid floating point value",
         {"0", "2", "", ""}},
        // A row's own Total is read before the one above it.
        {{"bad", "worse"}, "'worse' is not a valid floating point value", {"0", ""}},
        {{"bad", "7"}, "'bad' is not a valid floating point value", {"0", ""}},
        // A lone record is never read, so it does not fail.
        {{"bad"}, "", {"0"}},
    };
    for (const Case& c : cases) {
        NetstatForm f({"packets sent"});
        ASSERT_TRUE(f.load_text(archive(c.totals)));
        EXPECT_EQ(f.analyse(), c.message.empty());
        EXPECT_EQ(f.form.last_error(), c.message);
        EXPECT_EQ(f.deltas(), c.deltas) << c.message;
        if (c.message.empty()) continue;
        EXPECT_EQ(f.page().nets_anal.RowCount(), static_cast<int>(c.totals.size()) + 1);
        EXPECT_EQ(f.page().nets_graph.series_count(), 0);
        EXPECT_EQ(f.page().page_osw_nets.active_tab, 0) << "the Load tab stays in front";
    }
}

TEST(NetstatView, BadTotalOfARealArchiveAndOfAPickedMetric) {
    // Linux writes some counters inside their sentence; a rule on such a
    // wording takes the sentence's first word for the Total.
    NetstatForm f({"segments retransmitted", "ack mode was activated"});
    const std::string snap = "Tcp:\n    441 segments retransmitted\nTcpExt:\n"
                             "    Quick ack mode was activated 3 times\n";
    ASSERT_TRUE(f.load_text("zzz ***Mon Jun 6 10:00:01 CDT 2016\n" + snap +
                            "zzz ***Mon Jun 6 10:00:31 CDT 2016\n" + snap));
    ASSERT_TRUE(f.analyse());
    ASSERT_EQ(f.page().net_combo.text(), "Tcp:segments retransmitted");

    EXPECT_FALSE(f.pick("TcpExt:ack mode was activated"));
    EXPECT_EQ(f.form.last_error(), "'Quick' is not a valid floating point value");
    EXPECT_EQ(f.deltas(), (std::vector<std::string>{"0", ""}));
    EXPECT_EQ(f.page().nets_graph.series_count(), 0) << "the fresh view emptied the chart";

    // A Total of file content far longer than a message: the quote is cut.
    NetstatForm g({"packets sent"});
    ASSERT_TRUE(g.load_text(archive({"1", std::string(5000, 'x')})));
    EXPECT_FALSE(g.analyse());
    EXPECT_EQ(g.form.last_error(), "'" + std::string(199, 'x') + "...");
}

TEST(NetstatView, AccumulatingBuildContinuesFromTheLastRow) {
    StringTable raw(3);
    raw.AppendRow({"t1", "k", "10"});
    raw.AppendRow({"t2", "j", "99"});
    raw.AppendRow({"t3", "k", "15"});
    raw.TrimTable();
    StringTable anal(4);
    Chart chart;
    build_metric_view(raw, "k", MetricView::Accumulating, anal, chart);
    EXPECT_EQ(rows(anal), (Rows{{"t1", "k", "10", "0"}, {"t3", "k", "15", "5"}}));
    // A second build writes its first record over the last row and appends
    // its bars to the series of the same title.
    build_metric_view(raw, "k", MetricView::Accumulating, anal, chart);
    EXPECT_EQ(rows(anal),
              (Rows{{"t1", "k", "10", "0"}, {"t1", "k", "10", "0"}, {"t3", "k", "15", "5"}}));
    EXPECT_EQ(bars(chart), (std::vector<std::string>{"k: 0@t1 5@t3 0@t1 0@t1 5@t3"}));

    build_metric_view(raw, "j", MetricView::Fresh, anal, chart);
    EXPECT_EQ(rows(anal), (Rows{{"t2", "j", "99", "0"}}));
    EXPECT_EQ(bars(chart), (std::vector<std::string>{"j: 0@t2"}));
}
