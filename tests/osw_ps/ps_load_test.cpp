// Loading a ps archive into osw_grid and the page's "Clear All".
#include "ps_form.h"

#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::testing;
using Rows = std::vector<std::string>;

namespace {
const Rows kSnapshot = {marker("09:05:01"), "OWNER     PID   CPU", ps_line("oracle", "12", "7.5"),
                        "", ps_line("root", "1", "0.0")};
} // namespace

TEST(PsLoad, AppendsEveryLineAfterTheLinesAlreadyThere) {
    PsForm t;
    const StringTable& grid = t.form.ps.osw_grid;
    t.form.ps.OSWPage.active_tab = 2;
    ASSERT_TRUE(t.load(kSnapshot));
    ASSERT_TRUE(t.load(kSnapshot));
    Rows twice = kSnapshot;
    twice.insert(twice.end(), kSnapshot.begin(), kSnapshot.end());
    twice.emplace_back(); // the append slot
    EXPECT_EQ(PsForm::rows(grid), twice);
    EXPECT_EQ(t.form.ps.OSWPage.active_tab, 2) << "loading does not change the tab";

    ASSERT_TRUE(t.load_text(""));
    EXPECT_EQ(PsForm::rows(grid), twice) << "an empty file adds nothing";
}

TEST(PsLoad, AMissingFileIsReportedAndLeavesTheTable) {
    PsForm t;
    ASSERT_TRUE(t.load(kSnapshot));
    const Rows before = PsForm::rows(t.form.ps.osw_grid);
    EXPECT_FALSE(t.load_file("/no/such/folder/osw.txt"));
    EXPECT_EQ(t.error(), "File not found");
    EXPECT_EQ(PsForm::rows(t.form.ps.osw_grid), before);
}

// The analysis trims osw_grid; a load after it must add the new lines after
// the old ones rather than write the first of them over the last old line.
TEST(PsLoad, ALoadAfterAnAnalysisOverwritesNoLine) {
    PsForm t;
    ASSERT_TRUE(t.load({marker("09:05:01"), ps_line("oracle", "12", "7.5"), "", ""}));
    ASSERT_TRUE(t.analyse());
    const int trimmed = t.form.ps.osw_grid.RowCount();
    ASSERT_TRUE(t.load_text(""));
    EXPECT_EQ(t.form.ps.osw_grid.RowCount(), trimmed) << "an empty file adds nothing";
    ASSERT_TRUE(t.load({marker("09:06:01"), ps_line("oracle", "12", "9.5")}));
    // The trailing empty lines went with the analysis's trim; nothing else.
    EXPECT_EQ(PsForm::rows(t.form.ps.osw_grid),
              (Rows{marker("09:05:01"), ps_line("oracle", "12", "7.5"), marker("09:06:01"),
                    ps_line("oracle", "12", "9.5"), ""}));
    ASSERT_TRUE(t.analyse());
    EXPECT_EQ(t.ps_rows(), (Rows{"09:05:01|12|oracle|7.5", "09:06:01|12|oracle|9.5"}));

    // A trim down to the title row alone: the next lines start at row 1 and
    // the title row stays blank.
    PsForm u;
    ASSERT_TRUE(u.load({"", ""}));
    ASSERT_TRUE(u.analyse());
    ASSERT_EQ(u.form.ps.osw_grid.RowCount(), 1);
    ASSERT_TRUE(u.load({"first"}));
    EXPECT_EQ(u.form.ps.osw_grid.Cell(0, 0), "");
    EXPECT_EQ(PsForm::rows(u.form.ps.osw_grid), (Rows{"first", ""}));
}

TEST(PsLoad, ClearAllPutsThePageBackAsItStarts) {
    PsForm t;
    PsPage& ps = t.form.ps;
    ASSERT_TRUE(t.load({marker("09:05:01"), ps_line("oracle", "12", "7.5")}));
    t.form.user_set("cpu_thr_value", "");
    ASSERT_TRUE(t.analyse());
    ASSERT_TRUE(t.form.user_click("RadioButton4"));
    t.form.user_set("cpu_thr_value", "50");
    t.form.user_set("pid_filter", "12");
    t.form.user_set("owner_filter", "ora");
    ps.OSWPage.active_tab = 2;
    const std::string file = ps.osw_filename.text;

    ASSERT_TRUE(t.form.user_click("Button5"));
    EXPECT_EQ(ps.osw_grid.RowCount(), 2);
    EXPECT_EQ(ps.osw_grid.Cell(0, 1), "");
    EXPECT_EQ(ps.osw_ps_grid.RowCount(), 2);
    EXPECT_EQ(PsForm::rows(ps.osw_ps_grid), Rows{"|||"});
    EXPECT_EQ(ps.osw_ps_grid.Cell(3, 0), "CPU%") << "titles stay";
    EXPECT_TRUE(ps.RadioButton1.checked());
    EXPECT_FALSE(ps.RadioButton4.checked());
    EXPECT_EQ(ps.cpu_thr_value.text, "5");
    EXPECT_EQ(ps.pid_filter.text, "");
    EXPECT_EQ(ps.owner_filter.text, "");
    EXPECT_TRUE(t.gantt().empty());
    EXPECT_EQ(ps.osw_proc_count_chart.series(0).point_count(), 0);
    EXPECT_EQ(ps.osw_cpuutil_chart.series(0).point_count(), 0);
    EXPECT_EQ(ps.osw_process_chart.series_count(), 0);
    EXPECT_EQ(ps.osw_filename.text, file);
    EXPECT_EQ(ps.OSWPage.active_tab, 2);

    // The next load starts at row 1, the next analysis from an empty chart.
    ASSERT_TRUE(t.load({marker("10:00:00"), ps_line("oracle", "77", "8")}));
    EXPECT_EQ(ps.osw_grid.Cell(0, 1), marker("10:00:00"));
    ASSERT_TRUE(t.analyse());
    EXPECT_EQ(t.ps_rows(), Rows{"10:00:00|77|oracle|8"});
    ASSERT_EQ(ps.osw_process_chart.series_count(), 1);
    EXPECT_EQ(ps.osw_process_chart.series(0).title(), "77");
}
