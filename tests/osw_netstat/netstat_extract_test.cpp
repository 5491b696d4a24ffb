// Extracting the counters that the rules name from a loaded archive.
#include "netstat_support.h"

#include <cstdio>

using namespace kavro;
using namespace kavro::testing;

TEST(NetstatExtract, WorkedSnapshotGivesOneRecordPerNamedCounter) {
    NetstatForm f({"packets sent", "datagrams received"});
    ASSERT_TRUE(f.load_text("zzz ***Mon Jun 6 10:00:01 CDT 2016\n"
                            "icmp:\n"
                            "\t12 calls to icmp_error\n"
                            "tcp:\n"
                            "\t123456 packets sent\n"
                            "\t\t100000 data packets (2345678 bytes)\n"
                            "udp:\n"
                            "\t5678 datagrams received\n"));
    ASSERT_TRUE(f.analyse());
    NetstatPage& p = f.page();
    EXPECT_EQ(rows(p.nets_raw),
              (Rows{{"***Mon Jun 6 10:00:01", "tcp:packets sent", "123456"},
                    {"***Mon Jun 6 10:00:01", "udp:datagrams received", "5678"}}));
    EXPECT_EQ(p.net_combo.items(),
              (std::vector<std::string>{"tcp:packets sent", "udp:datagrams received"}));
    EXPECT_EQ(p.net_combo.text(), "tcp:packets sent");
    EXPECT_EQ(p.net_combo.item_index(), 0);
    // The first metric's view is built and the "Analyze" tab comes forward.
    EXPECT_EQ(rows(p.nets_anal),
              (Rows{{"***Mon Jun 6 10:00:01", "tcp:packets sent", "123456", "0"}}));
    EXPECT_EQ(bars(p.nets_graph),
              (std::vector<std::string>{"tcp:packets sent: 0@***Mon Jun 6 10:00:01"}));
    EXPECT_EQ(p.page_osw_nets.active_tab, 1);
}

TEST(NetstatExtract, CounterRows) {
    struct Case {
        const char* name;
        const char* archive;
        std::vector<std::string> rules;
        Rows records;
        const char* indicator = "zzz";
    };
    const Case cases[] = {
        {"a rule text elsewhere in the row",
         "tcp:\n\t12 data packets sent\n",
         {"packets sent"},
         {}},
        {"a rule that begins several wordings",
         "tcp:\n\t5 packets sent\n\t7 packets received\nudp:\n\t9 packets dropped\n",
         {"packets"},
         {{"--", "tcp:packets", "5"}, {"--", "tcp:packets", "7"}, {"--", "udp:packets", "9"}}},
        {"the last fitting rule decides (1)",
         "tcp:\n\t5 packets sent\n",
         {"packets sent", "packets"},
         {{"--", "tcp:packets", "5"}}},
        {"the last fitting rule decides (2)",
         "tcp:\n\t5 packets sent\n",
         {"packets", "packets sent"},
         {{"--", "tcp:packets sent", "5"}}},
        {"an empty rule fits nothing", "1 x\n2 y\n", {"", "x"}, {{"--", "x", "1"}}},
        {"a one-word wording without a number",
         "tcp:\n\ttimeouts\n",
         {"timeouts"},
         {{"--", "tcp:timeouts", ""}}},
        {"words without a number", "tcp:\n\tpackets sent\n", {"packets sent"}, {}},
        {"blanks, then tabs, are skipped",
         "  \t\t12 packets sent\n",
         {"packets sent"},
         {{"--", "packets sent", "12"}}},
        {"blanks after a tab stay", "\t  12 packets sent\n", {"packets sent"}, {}},
        {"a header with a trailing blank",
         "tcp:\n\t1 x\nudp: \n\t2 x\n",
         {"x"},
         {{"--", "tcp:x", "1"}, {"--", "tcp:x", "2"}}},
        {"the prefix holds across snapshots",
         "tcp:\nzzz ***Mon Jun 6 10:00:01 CDT 2016\n\t1 x\nzzz ***Mon Jun 6 10:00:31 CDT 2016\n\t2 "
         "x\n",
         {"x"},
         {{"***Mon Jun 6 10:00:01", "tcp:x", "1"}, {"***Mon Jun 6 10:00:31", "tcp:x", "2"}}},
        {"a marker without blank or colon", "zzz\n1 x\n", {"x"}, {{"zzz", "x", "1"}}},
        {"a marker whose cut is empty",
         "zzz ***Mon 10:00:01\n1 x\nab:zzzzzz 9\n2 x\n",
         {"x"},
         {{"***Mon 10:00:01", "x", "1"}, {"--", "x", "2"}}},
        {"an empty indicator marks nothing",
         "zzz ***Mon Jun 6 10:00:01 CDT 2016\n1 x\n",
         {"x"},
         {{"--", "x", "1"}},
         ""},
        {"the indicator is the field's text",
         "SNAP ***Tue Jun 7 09:05:59 PDT 2016\n1 x\n",
         {"x"},
         {{"***Tue Jun 7 09:05:59", "x", "1"}},
         "SNAP"},
    };
    for (const Case& c : cases) {
        NetstatForm f(c.rules);
        f.form.user_set("nets_start", c.indicator);
        ASSERT_TRUE(f.load_text(c.archive)) << c.name;
        f.analyse();
        Rows got = rows(f.page().nets_raw);
        if (c.records.empty()) {
            EXPECT_EQ(got, (Rows{{"", "", ""}})) << c.name;
        } else {
            EXPECT_EQ(got, c.records) << c.name;
        }
    }
}

TEST(NetstatExtract, ProtocolHeadersSetThePrefixAsWritten) {
    const std::vector<std::string> headers = {
        "icmp:",    "igmp:", "tcp:", "udp:",     "ip:",     "ipv6:",  "icmpv6:",   "Ip:",  "Icmp:",
        "IcmpMsg:", "Tcp:",  "Udp:", "UdpLite:", "TcpExt:", "IpExt:", "MPTcpExt:", "Sctp:"};
    // Not headers: other letter case, surrounding blanks, no colon, a
    // header of another system.
    const std::vector<std::string> others = {"TCP:", " tcp:", "tcp", "Tcpext:", "IP:"};
    std::string archive;
    Rows expected;
    for (const std::string& h : headers) {
        archive += h + "\n";
        for (const std::string& o : others) archive += o + "\n";
        archive += "    3 packets received\n";
        expected.push_back({"--", h + "packets received", "3"});
    }
    NetstatForm f({"packets received"});
    ASSERT_TRUE(f.load_text(archive));
    ASSERT_TRUE(f.analyse());
    EXPECT_EQ(rows(f.page().nets_raw), expected);
    EXPECT_EQ(f.page().net_combo.count(), static_cast<int>(headers.size()));
}

TEST(NetstatExtract, NoCounterFoundGivesAnEmptyEntryAndAnEmptyView) {
    NetstatForm f({"segments retransmitted"});
    ASSERT_TRUE(f.load_text("zzz ***Mon Jun 6 10:00:01 CDT 2016\nTcp:\n    5 resets sent\n"));
    ASSERT_TRUE(f.analyse());
    NetstatPage& p = f.page();
    EXPECT_EQ(rows(p.nets_raw), (Rows{{"", "", ""}}));
    EXPECT_EQ(p.net_combo.items(), (std::vector<std::string>{""}));
    EXPECT_EQ(p.net_combo.item_index(), 0);
    EXPECT_EQ(p.nets_anal.RowCount(), 1); // the title row alone
    EXPECT_EQ(p.nets_graph.series_count(), 0);
    EXPECT_EQ(p.page_osw_nets.active_tab, 1);

    // Picking that entry copies the empty record, which the trim drops again.
    ASSERT_TRUE(f.form.user_pick("net_combo", 0));
    EXPECT_EQ(p.nets_anal.RowCount(), 1);
    EXPECT_EQ(p.nets_graph.series_count(), 0);
}

TEST(NetstatExtract, AnalysingAgainGivesWhatOneAnalysisGives) {
    NetstatForm f({"packets sent", "data packets"});
    ASSERT_TRUE(f.load(fixture("netstat/aix_three_snapshots.dat").string()));
    ASSERT_TRUE(f.analyse());
    const Rows raw = rows(f.page().nets_raw);
    const Rows anal = rows(f.page().nets_anal);
    const auto chart = bars(f.page().nets_graph);
    const auto items = f.page().net_combo.items();
    ASSERT_EQ(raw.size(), 12u);

    // Another metric on show, then the analysis once more.
    ASSERT_TRUE(f.pick("tcp:data packets"));
    ASSERT_TRUE(f.analyse());
    EXPECT_EQ(rows(f.page().nets_raw), raw);
    EXPECT_EQ(rows(f.page().nets_anal), anal);
    EXPECT_EQ(bars(f.page().nets_graph), chart);
    EXPECT_EQ(f.page().net_combo.items(), items);
    EXPECT_EQ(f.page().net_combo.text(), items.front());
}

// Archives of tens of thousands of rows, so that the reading of the rows in
// runs puts a run's end at every place of a snapshot: between its label and
// its header, between the header and its counter, and after the counter.
// Each record keeps the label and protocol of its own snapshot.
TEST(NetstatExtract, LongArchivesKeepEachSnapshotsLabelAndProtocol) {
    constexpr int kSnapshots = 40000;
    for (int lead = 0; lead < 3; ++lead) {
        std::string archive;
        Rows expected;
        for (int i = 0; i < lead; ++i) archive += "    9 packets dropped\n";
        char time[16];
        for (int s = 0; s < kSnapshots; ++s) {
            std::snprintf(time, sizeof time, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
            const std::string header = s % 2 == 0 ? "Tcp:" : "Udp:";
            archive += std::string("zzz ***Mon Jun 6 ") + time + " CDT 2016\n" + header + "\n    " +
                       std::to_string(s) + " packets received\n";
            expected.push_back({std::string("***Mon Jun 6 ") + time, header + "packets received",
                                std::to_string(s)});
        }
        NetstatForm f({"packets received"});
        ASSERT_TRUE(f.load_text(archive));
        ASSERT_TRUE(f.analyse());
        EXPECT_EQ(rows(f.page().nets_raw), expected) << "lead " << lead;
        EXPECT_EQ(f.page().net_combo.items(),
                  (std::vector<std::string>{"Tcp:packets received", "Udp:packets received"}));
        EXPECT_EQ(f.page().nets_anal.RowCount(), kSnapshots / 2 + 1) << "lead " << lead;
    }
}
