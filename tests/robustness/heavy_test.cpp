// The large inputs: a line of 100 MB for every reader, and a million
// distinct wait events and processes. Each must end in the documented
// outcome without building anything in proportion to the line more than
// once, and without a walk per key.

#include "hostile.h"
#include "window.h"

#include <gtest/gtest.h>

#include <functional>

namespace kavro::testing {
namespace {

// Under the sanitizers, which slow every memory access many times over, a
// tenth of the size shows the same faults in a bearable time.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kScale = 10;
#else
constexpr int kScale = 1;
#endif
const std::size_t kLine = (std::size_t(100) << 20) / kScale;
constexpr int kKeys = 1000000 / kScale;

// The rule tables as they are now, put back when the test is done with its
// own rules.
class RulesBackup {
public:
    explicit RulesBackup(TraceRulesPage& rules) : rules_(rules) {
        for (StringTable* t : tables()) {
            std::vector<std::vector<std::string>> rows;
            for (int r = 0; r < t->RowCount(); ++r) rows.push_back(t->RowSnapshot(r));
            saved_.push_back(std::move(rows));
        }
    }
    void restore() {
        std::size_t i = 0;
        for (StringTable* t : tables()) {
            const auto& rows = saved_[i++];
            t->SetRowCount(static_cast<int>(rows.size()));
            for (std::size_t r = 0; r < rows.size(); ++r)
                t->AssignRow(static_cast<int>(r), rows[r]);
        }
    }

private:
    std::vector<StringTable*> tables() {
        return {&rules_.tracerules_grid1, &rules_.tracerules_grid2, &rules_.tracerules_grid3,
                &rules_.tracerules_grid4, &rules_.tracerules_grid5};
    }
    TraceRulesPage& rules_;
    std::vector<std::vector<std::vector<std::string>>> saved_;
};

struct HugeLine {
    std::string name;
    Page page;
    std::string before, fill_with, after; // the content: before, kLine fill bytes, after
    std::string error;                    // the analysis's message, empty for none
    std::function<void(TForm1&)> check;
};

void PrintTo(const HugeLine& c, std::ostream* os) {
    *os << c.name;
}

std::vector<HugeLine> huge_lines() {
    return {
        // The time is 100 MB of digits: not a number, and the message quotes
        // only its first characters.
        {"Trace", Page::Trace, "WAIT #1: nam='db file sequential read' ela= 7 obj#=5 tim=", "9",
         "\n", "'" + std::string(199, '9') + "...",
         [](TForm1& f) {
             EXPECT_EQ(f.trace.trace_detail.Cell(3, 1).size(), kLine);
             EXPECT_EQ(f.trace.touch_grid1.Cell(0, 1), "#1:db file sequential read");
         }},
        {"Ps", Page::Ps, "zzz ***Mon Jun 6 09:05:01 EST 2016\noracle    4242     1  19 12.5  ", "x",
         "\n", "",
         [](TForm1& f) {
             ASSERT_EQ(f.ps.osw_ps_grid.RowCount(), 2);
             EXPECT_EQ(f.ps.osw_ps_grid.RowSnapshot(1),
                       (std::vector<std::string>{"09:05:01", "4242", "oracle", "12.5"}));
         }},
        {"Mpstat", Page::Mpstat,
         "zzz ***Mon Jun 6 10:00:01 CDT 2016\nSystem configuration: lcpu=1 ent=0.50\n"
         "cpu  min  maj  mpc  int   cs  ics   rq  mig lpa sysc us sy wa id\n"
         "  0    0    0    0  164  113   58    1    0 100  182 19 28  0 52 ",
         "x", "\n  U    -\n", "",
         [](TForm1& f) { EXPECT_EQ(f.mpstat.cpu_util_chart.series(0).value(0), 47); }},
        {"Netstat", Page::Netstat,
         "zzz ***Mon Jun 6 10:00:01 CDT 2016\nIp:\n    123 total packets received ", "x", "\n", "",
         [](TForm1& f) {
             EXPECT_EQ(f.netstat.nets_anal.RowSnapshot(1),
                       (std::vector<std::string>{"***Mon Jun 6 10:00:01",
                                                 "Ip:total packets received", "123", "0"}));
         }},
    };
}

class HundredMegabyteLine : public ::testing::TestWithParam<HugeLine> {};

TEST_P(HundredMegabyteLine, LoadsWholeAndAnalysesToItsOutcome) {
    const HugeLine& c = GetParam();
    Window w;
    const Digest before = digest(w.form);
    std::string content = c.before;
    content.append(kLine, c.fill_with[0]);
    content += c.after;
    ASSERT_TRUE(w.load_text(c.page, content)) << w.last_message();
    std::size_t longest = 0;
    for (const std::string& row : column0(*TForm1::find(w.form.tables, page_info(c.page).raw)))
        longest = std::max(longest, row.size());
    EXPECT_GT(longest, kLine);
    content.clear();

    EXPECT_EQ(w.analyse(c.page), c.error.empty());
    if (!c.error.empty()) {
        EXPECT_EQ(w.last_message(), c.error);
    }
    c.check(w.form);
    w.expect_others_unchanged(before, c.page);
    w.expect_page_works(c.page);
}

INSTANTIATE_TEST_SUITE_P(Robustness, HundredMegabyteLine, ::testing::ValuesIn(huge_lines()),
                         [](const auto& info) { return info.param.name; });

// The two start-up readings take a 100 MB line like any other.
TEST(HundredMegabyteLine, ConfigurationFiles) {
    TempDir dir;
    dir.file("db.ini", "METADATA=" + std::string(kLine, 'd') + "\n");
    dir.file("tracerules.ini", "[OSW-NETSTAT]\n" + std::string(kLine, 'r') + "\n[END]\n");
    TForm1 form;
    RecordingMessageBox messages;
    form.message_box = &messages;
    {
        ChangeDir here(dir.path());
        form.FormShow();
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(form.settings.metaloc.text.size(), kLine);
    EXPECT_EQ(form.rules.tracerules_grid6.Cell(0, 1).size(), kLine);
    EXPECT_EQ(form.rules.tracerules_grid6.RowCount(), 2);
}

// A million wait events, each of its own: one row each in the touch table
// found through its index, one slice each in the two pies. Only the summing
// rule is kept: a million timeline series are the ps test's business.
TEST(MillionKeys, DistinctWaitEvents) {
    Window w;
    RulesBackup rules(w.form.rules);
    for (StringTable* t : {&w.form.rules.tracerules_grid1, &w.form.rules.tracerules_grid3,
                           &w.form.rules.tracerules_grid4, &w.form.rules.tracerules_grid5})
        t->ResetTable();
    const Digest before = digest(w.form);
    constexpr int n = kKeys;
    std::string content;
    content.reserve(std::size_t(n) * 48);
    char line[80];
    for (int i = 0; i < n; ++i) {
        std::snprintf(line, sizeof line, "WAIT #%d: nam='e%07d' ela= %d obj#=%d tim=%d\n", i % 7, i,
                      i % 1000, i, i);
        content += line;
    }
    ASSERT_TRUE(w.load_text(Page::Trace, content)) << w.last_message();
    content.clear();
    ASSERT_TRUE(w.analyse(Page::Trace)) << w.last_message();
    const TracePage& t = w.form.trace;
    EXPECT_EQ(t.touch_grid1.RowCount(), n + 1);
    EXPECT_EQ(t.touch_graph1.series(0).point_count(), n);
    EXPECT_EQ(t.touch_graph2.series(0).point_count(), n);
    char last[32];
    std::snprintf(last, sizeof last, "#%d:e%07d", (n - 1) % 7, n - 1);
    EXPECT_EQ(t.touch_grid1.RowSnapshot(n),
              (std::vector<std::string>{last, std::to_string((n - 1) % 1000), "1"}));
    EXPECT_EQ(t.cursor_combo.count(), 8); // "All" and #0: to #6:
    w.expect_others_unchanged(before, Page::Trace);
    rules.restore();
    w.expect_page_works(Page::Trace);
}

// A million processes in one snapshot: a series and a Gantt bar each, and a
// numeric sort of reversed rows and a text sort of many equal keys.
TEST(MillionKeys, DistinctProcesses) {
    Window w;
    constexpr int n = kKeys;
    // Process IDs of seven digits: columns 10-16.
    w.form.rules.psproc_pose.text = "7";
    const Digest before = digest(w.form);
    std::string content = "zzz ***Mon Jun 6 09:05:01 EST 2016\n";
    content.reserve(std::size_t(n) * 40);
    char line[80];
    for (int i = 0; i < n; ++i) {
        // Owner 1-8, process ID 10-16, CPU 26-29.
        std::snprintf(line, sizeof line, "user%04d %07d  1  19  %4.1f cmd\n", i % 10000, n - i,
                      5.0 + (i % 100) / 10.0);
        content += line;
    }
    ASSERT_TRUE(w.load_text(Page::Ps, content)) << w.last_message();
    content.clear();
    ASSERT_TRUE(w.analyse(Page::Ps)) << w.last_message();
    const PsPage& p = w.form.ps;
    EXPECT_EQ(p.osw_ps_grid.RowCount(), n + 1);
    EXPECT_EQ(p.osw_process_chart.series_count(), n);
    EXPECT_EQ(p.osw_gantt.series(0).bars().size(), std::size_t(n));
    ASSERT_TRUE(w.form.user_click("RadioButton2"));
    EXPECT_EQ(p.osw_ps_grid.Cell(1, 1), "0000001");
    char last[16];
    std::snprintf(last, sizeof last, "%07d", n);
    EXPECT_EQ(p.osw_ps_grid.Cell(1, n), last);
    ASSERT_TRUE(w.form.user_click("RadioButton3"));
    EXPECT_EQ(p.osw_ps_grid.Cell(2, 1), "user0000");
    EXPECT_EQ(p.osw_ps_grid.Cell(2, n), "user9999");
    w.expect_others_unchanged(before, Page::Ps);
    w.form.rules.psproc_pose.text = "5";
    w.expect_page_works(Page::Ps);
}

} // namespace
} // namespace kavro::testing
