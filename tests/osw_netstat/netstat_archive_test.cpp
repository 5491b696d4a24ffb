// Whole archives of Linux and AIX through the page: load, analyse, pick.
#include "netstat_support.h"

#include <fstream>
#include <map>

using namespace kavro;
using namespace kavro::testing;

namespace {

using Deltas = std::map<std::string, std::vector<std::string>>;

// The Deltas of every metric entry, each picked as the user would.
Deltas all_deltas(NetstatForm& f) {
    Deltas out;
    const auto items = f.page().net_combo.items();
    for (const std::string& key : items) {
        EXPECT_TRUE(f.pick(key)) << f.form.last_error();
        out[key] = f.deltas();
        // The bars carry the same growth as the table.
        const auto& s = f.page().nets_graph.series_with_title(key);
        EXPECT_EQ(s.size(), 1u) << key;
        std::vector<std::string> drawn;
        const Series& series = f.page().nets_graph.series(s.front());
        for (int i = 0; i < series.point_count(); ++i) drawn.push_back(FloatToStr(series.value(i)));
        EXPECT_EQ(drawn, out[key]) << key;
    }
    return out;
}

// A line "<indent><count> <wording>" of netstat's output, cut into its parts.
struct CounterLine {
    std::string indent, count, wording;
};

bool cut_counter(const std::string& line, CounterLine& out) {
    const auto digits = line.find_first_not_of(" \t");
    if (digits == std::string::npos) return false;
    const auto blank = line.find(' ', digits);
    if (blank == std::string::npos || blank == digits) return false;
    for (auto i = digits; i < blank; ++i)
        if (line[i] < '0' || line[i] > '9') return false;
    out = {line.substr(0, digits), line.substr(digits, blank - digits), line.substr(blank + 1)};
    return true;
}

std::vector<std::string> read_lines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

} // namespace

TEST(NetstatArchive, AixSnapshotsKeepEachProtocolApart) {
    NetstatForm f({"calls to icmp_error", "packets sent", "data packets", "packets received",
                   "datagrams received", "total packets received"});
    ASSERT_TRUE(f.load(fixture("netstat/aix_three_snapshots.dat").string()));
    ASSERT_TRUE(f.analyse());
    EXPECT_EQ(f.page().net_combo.items(),
              (std::vector<std::string>{"icmp:calls to icmp_error", "tcp:packets sent",
                                        "tcp:data packets", "tcp:packets received",
                                        "udp:datagrams received", "ip:total packets received",
                                        "ip:packets sent", "ipv6:total packets received"}));
    EXPECT_EQ(f.deltas(), (std::vector<std::string>{"0", "3", "0"}));
    EXPECT_EQ(rows(f.page().nets_anal).back(),
              (Row{"***Mon Jun 6 10:01:01", "icmp:calls to icmp_error", "15", "0"}));
    EXPECT_EQ(all_deltas(f), (Deltas{{"icmp:calls to icmp_error", {"0", "3", "0"}},
                                     {"tcp:packets sent", {"0", "1250", "450"}},
                                     // Two wordings per snapshot: each row against the one above.
                                     {"tcp:data packets",
                                      {"0", "-99880", "100880", "-100875", "101175", "-101160"}},
                                     {"tcp:packets received", {"0", "1500", "433"}},
                                     {"udp:datagrams received", {"0", "22", "-50"}},
                                     {"ip:total packets received", {"0", "1600", "522"}},
                                     {"ip:packets sent", {"0", "1300", "400"}},
                                     {"ipv6:total packets received", {"0", "4", "5"}}}));
}

TEST(NetstatArchive, LinuxSnapshotsKeepEachProtocolApart) {
    NetstatForm f({"total packets received", "segments retransmitted", "packets received",
                   "delayed acks sent"});
    ASSERT_TRUE(f.load(fixture("netstat/linux_two_snapshots.dat").string()));
    ASSERT_TRUE(f.analyse());
    EXPECT_EQ(all_deltas(f), (Deltas{{"Ip:total packets received", {"0", "1100"}},
                                     {"Tcp:segments retransmitted", {"0", "9"}},
                                     {"Udp:packets received", {"0", "260"}},
                                     {"UdpLite:packets received", {"0", "0"}},
                                     {"TcpExt:delayed acks sent", {"0", "46"}},
                                     {"MPTcpExt:packets received", {"0", "2"}},
                                     {"Sctp:packets received", {"0", "7"}}}));
}

TEST(NetstatArchive, RealLinuxOutputInThreeSnapshots) {
    const auto source = real_data("netstat/raw_linux_rhcos_sosreport_netstat_-s.txt");
    if (!std::filesystem::exists(source))
        GTEST_SKIP() << "real netstat output not found at " << source;
    const std::vector<std::string> lines = read_lines(source);
    ASSERT_FALSE(lines.empty());

    // Three snapshots of the same output; in snapshot s every leading count
    // on line i grows by s * (i + 1), so its Deltas are known in advance.
    const std::vector<std::string> rules = {"total packets received",     "ICMP messages received",
                                            "active connection openings", "segments retransmitted",
                                            "packets received",           "packets sent",
                                            "delayed acks sent"};
    std::string archive;
    Deltas expected;
    std::string section;
    for (int s = 0; s < 3; ++s) {
        archive += "zzz ***Mon Jun 6 10:0" + std::to_string(s) + ":00 CDT 2016\n";
        for (std::size_t i = 0; i < lines.size(); ++i) {
            CounterLine m;
            if (!cut_counter(lines[i], m)) {
                if (!lines[i].empty() && lines[i][0] != ' ') section = lines[i];
                archive += lines[i] + "\n";
                continue;
            }
            const long long step = static_cast<long long>(i) + 1;
            archive +=
                m.indent + std::to_string(std::stoll(m.count) + s * step) + " " + m.wording + "\n";
            for (const std::string& rule : rules)
                if (m.wording == rule)
                    expected[section + rule].push_back(s == 0 ? "0" : std::to_string(step));
        }
    }
    ASSERT_EQ(expected.size(), rules.size());

    NetstatForm f(rules);
    ASSERT_TRUE(f.load_text(archive));
    ASSERT_TRUE(f.analyse()) << f.form.last_error();
    EXPECT_EQ(all_deltas(f), expected);
    ASSERT_TRUE(f.pick("Udp:packets received"));
    EXPECT_EQ(rows(f.page().nets_anal).front(),
              (Row{"***Mon Jun 6 10:00:00", "Udp:packets received", "55720", "0"}));
}

TEST(NetstatArchive, SampleArchiveWithTheSampleRules) {
    ChangeDir cd(KAVRO_SAMPLES);
    TForm1 form;
    form.FormShow();
    ASSERT_TRUE(form.user_set("netstat_filename", "OSW_Files/oswnetstat_linux.dat"));
    ASSERT_TRUE(form.user_click("Button12"));
    ASSERT_TRUE(form.user_click("Button13")) << form.last_error();
    // Every rule of the samples names one Linux counter: one entry each, and
    // one record per snapshot.
    const StringTable& rules = form.rules.tracerules_grid6;
    EXPECT_GT(rules.RowCount(), 10);
    EXPECT_EQ(form.netstat.net_combo.count(), rules.RowCount() - 1);
    EXPECT_EQ(form.netstat.nets_raw.RowCount() - 1, 6 * form.netstat.net_combo.count());
    EXPECT_EQ(form.netstat.nets_anal.RowCount() - 1, 6);
    ASSERT_TRUE(form.user_set("net_combo", "Tcp:segments retransmitted"));
    EXPECT_EQ(form.netstat.nets_anal.RowCount() - 1, 6);
    EXPECT_EQ(form.netstat.nets_graph.series_count(), 1);
}
