// "Anlayze OSW File": cutting process rows and drawing the process lines.
#include "ps_form.h"

#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::testing;
using Rows = std::vector<std::string>;

namespace {

// The positions of OSWatcher's Linux listing
// (ps -aeo user,pid,ppid,pri,pcpu,pmem,vsize,rssize,wchan,s,start,cputime,command).
const char* kLinuxRules = "[OSW-PS]\n"
                          "heading=zzz\n"
                          "heading=OSWbb\n"
                          "heading=%CPU %MEM\n"
                          "user=1,8\n"
                          "process=10,5\n"
                          "cpu=26,4\n"
                          "[END]\n";

std::string chart_dump(const Chart& c) {
    std::string out;
    for (int i = 0; i < c.series_count(); ++i) {
        const Series& s = c.series(i);
        out += s.title() + (s.active() ? "+" : "-") + ":";
        for (int p = 0; p < s.point_count(); ++p)
            out += " " + std::string(s.label(p)) + "=" + std::to_string(s.value(p));
        out += "\n";
    }
    return out;
}

} // namespace

TEST(PsAnalysis, CutsTheLinuxListingAtTheRulePositions) {
    PsForm t(kLinuxRules);
    t.form.ps.OSWPage.active_tab = 0;
    ASSERT_TRUE(t.load_file(fixture("ps/linux_ps.dat").string()));
    ASSERT_TRUE(t.analyse()) << t.error();
    EXPECT_EQ(t.ps_rows(),
              (Rows{"09:05:01|1|root|0.0", "09:05:01|3376|oracle|2.4", "09:05:01|30477|oracle|38.6",
                    "09:05:31|1|root|0.0", "09:05:31|3376|oracle|3.9", "09:05:31|30477|oracle|52.9",
                    "09:05:31|30502|oracle|12.5", "09:06:01|1|root|0.0", "09:06:01|3376|oracle|5.6",
                    "09:06:01|30477|oracle|61.4"}));
    EXPECT_EQ(t.form.ps.osw_grid.RowCount(), 18) << "the raw table is trimmed";
    EXPECT_EQ(t.form.ps.OSWPage.active_tab, t.form.ps.OSWPage.tab_index("oswtab1"));

    // One line per process ID in order of first appearance, its points the
    // process's rows with the decimal percentages as they stand.
    const Chart& c = t.form.ps.osw_process_chart;
    ASSERT_EQ(c.series_count(), 4);
    const Series& dbw0 = c.series(1);
    EXPECT_EQ(dbw0.title(), "3376");
    EXPECT_EQ(dbw0.kind(), SeriesKind::Line);
    EXPECT_TRUE(dbw0.right_axis());
    ASSERT_EQ(dbw0.point_count(), 3);
    EXPECT_DOUBLE_EQ(dbw0.value(0), 2.4);
    EXPECT_DOUBLE_EQ(dbw0.value(2), 5.6);
    EXPECT_EQ(dbw0.label(1), "09:05:31");
    EXPECT_EQ(c.series(3).title(), "30502");
    EXPECT_EQ(c.series(3).point_count(), 1);
    EXPECT_NE(c.series(0).colour(), c.series(1).colour());
    // The filter ran with the default threshold 5.
    EXPECT_EQ(t.shown(), (Rows{"3376", "30477", "30502"}));
}

TEST(PsAnalysis, TimesExclusionsAndRowsWithoutCpu) {
    PsForm t;
    ASSERT_TRUE(t.load_file(fixture("ps/edges.dat").string()));
    ASSERT_TRUE(t.analyse()) << t.error();
    // The line before the first snapshot has no time; an hour padded with a
    // blank gives a 7-character time; the "-" line and the excluded marker
    // and heading lines give no row.
    EXPECT_EQ(t.ps_rows(),
              (Rows{"|900|orphan|3.0", "9:05:01|12|oracle|1.5", "10:00:00|12|oracle|7"}));
}

TEST(PsAnalysis, TheTimeComesFromAroundTheFirstColon) {
    struct Case {
        const char* marker;
        const char* time;
    } cases[] = {
        {"zzz ***Mon Jun 6 09:05:01 EST 2016", "09:05:01"},
        {"zzz ***Mon Jun 6  9:05:01 EST 2016", "9:05:01"},
        {"zzz 1:02:03", "1:02:03"},           // the cut starts before the line
        {"zzz ***Mon Jun 6 2016", "zzz***M"}, // no colon: the first 8 characters
        {"xzzz at 12:00", "12:00"},           // "zzz" anywhere in the line
    };
    for (const Case& c : cases) {
        PsForm t;
        ASSERT_TRUE(t.load({c.marker, ps_line("oracle", "12", "1")}));
        ASSERT_TRUE(t.analyse()) << c.marker << ": " << t.error();
        EXPECT_EQ(t.ps_rows(), Rows{std::string(c.time) + "|12|oracle|1"}) << c.marker;
    }
}

// Runs that yield no row with a time end with the title row alone, no
// process line, and one empty bar in each snapshot chart.
TEST(PsAnalysis, RunsWithoutTimedRowsLeaveTheTitleRowAlone) {
    const std::vector<Rows> archives = {
        {},                                                           // nothing loaded
        {ps_line("oracle", "12", "9"), ps_line("oracle", "13", "9")}, // no snapshot marker
        {marker("09:00:00"), "OWNER   PID"},                          // all lines excluded
        {marker("09:00:00"), ps_line("oracle", "12", "-")},           // every CPU "-"
    };
    for (std::size_t i = 0; i < archives.size(); ++i) {
        PsForm t;
        if (!archives[i].empty()) {
            ASSERT_TRUE(t.load(archives[i]));
        }
        ASSERT_TRUE(t.analyse()) << i << ": " << t.error();
        EXPECT_EQ(t.form.ps.osw_ps_grid.RowCount(), 1) << i;
        EXPECT_EQ(t.form.ps.osw_process_chart.series_count(), 0) << i;
        EXPECT_TRUE(t.gantt().empty()) << i;
        EXPECT_EQ(t.count_bars(), Rows{"=0"}) << i;
        EXPECT_EQ(t.cpu_bars(), Rows{"=0"}) << i;
    }
}

TEST(PsAnalysis, ASecondRunGivesTheResultOfOne) {
    PsForm t(kLinuxRules);
    ASSERT_TRUE(t.load_file(fixture("ps/linux_ps.dat").string()));
    ASSERT_TRUE(t.analyse());
    const Rows rows = t.ps_rows();
    const std::string lines = chart_dump(t.form.ps.osw_process_chart);
    const auto gantt = t.gantt().size();
    const Rows counts = t.count_bars();
    ASSERT_TRUE(t.analyse());
    EXPECT_EQ(t.ps_rows(), rows);
    EXPECT_EQ(chart_dump(t.form.ps.osw_process_chart), lines);
    EXPECT_EQ(t.gantt().size(), gantt);
    EXPECT_EQ(t.count_bars(), counts);
}

TEST(PsAnalysis, ARuleFieldThatIsNoNumberStopsAtTheFirstLineCut) {
    PsForm t;
    t.form.rules.psproc_pose.text = "5x";
    t.form.ps.OSWPage.active_tab = 0;
    // Lines that are all excluded never need the positions.
    ASSERT_TRUE(t.load({marker("09:00:00"), "OWNER   PID"}));
    EXPECT_TRUE(t.analyse()) << t.error();

    ASSERT_TRUE(t.load({ps_line("oracle", "12", "9")}));
    t.form.ps.OSWPage.active_tab = 0;
    EXPECT_FALSE(t.analyse());
    EXPECT_EQ(t.error(), "'5x' is not a valid integer value");
    EXPECT_EQ(PsForm::rows(t.form.ps.osw_ps_grid), Rows{"|||"});
    EXPECT_EQ(t.form.ps.OSWPage.active_tab, 0);
}

// A CPU text that is no number ends the run when the process lines are
// drawn: the table is complete, the lines are drawn up to that row, and the
// filter and the tab change do not happen.
TEST(PsAnalysis, ACpuTextThatIsNoNumberStopsTheDrawing) {
    const std::string markers_kept = "[OSW-PS]\nuser=1,8\nprocess=10,5\ncpu=16,5\n[END]\n";
    struct Case {
        const char* name;
        std::string rules;
        Rows archive;
        std::string message;
        Rows rows;
        int lines_drawn;
    } cases[] = {
        {"word",
         kCompactRules,
         {marker("09:00:00"), ps_line("oracle", "12", "8"), ps_line("oracle", "13", "n/a"),
          ps_line("oracle", "14", "9")},
         "'n/a' is not a valid floating point value",
         {"09:00:00|12|oracle|8", "09:00:00|13|oracle|n/a", "09:00:00|14|oracle|9"},
         1},
        {"empty line after a marker",
         kCompactRules,
         {marker("09:00:00"), ps_line("oracle", "12", "8"), "", ps_line("oracle", "14", "9")},
         "'' is not a valid floating point value",
         {"09:00:00|12|oracle|8", "09:00:00|||", "09:00:00|14|oracle|9"},
         1},
        {"a marker no exclusion matches",
         markers_kept,
         {marker("09:00:00"), ps_line("oracle", "12", "8")},
         "'609:' is not a valid floating point value",
         {"09:00:00|nJun|zzz***M|609:", "09:00:00|12|oracle|8"},
         0},
    };
    for (const Case& c : cases) {
        PsForm t(c.rules);
        t.form.user_set("cpu_thr_value", "");
        ASSERT_TRUE(t.load(c.archive));
        // A bar the filter would clear.
        t.form.ps.osw_proc_count_chart.series(0).add_value(99, "before");
        t.form.ps.OSWPage.active_tab = 2;

        EXPECT_FALSE(t.analyse()) << c.name;
        EXPECT_EQ(t.error(), c.message) << c.name;
        EXPECT_EQ(t.ps_rows(), c.rows) << c.name;
        EXPECT_EQ(t.form.ps.osw_process_chart.series_count(), c.lines_drawn) << c.name;
        EXPECT_EQ(t.count_bars(), Rows{"before=99"}) << c.name << ": the filter did not run";
        EXPECT_EQ(t.form.ps.OSWPage.active_tab, 2) << c.name;
    }
}
