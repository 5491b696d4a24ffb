// The analysis of AIX archives: configuration row, "cpu " header, CPU rows
// up to " U ", "ALL " or the next snapshot marker.

#include "mpstat_test_support.h"
#include "osw_mpstat/mpstat_analysis.h"

#include <gtest/gtest.h>

namespace kavro::testing {
namespace {

using Values = std::vector<std::vector<double>>;

const char* kHeader = "cpu  min  maj  mpc  int   cs  ics   rq  mig lpa sysc us sy wa id   pc  %ec  "
                      "lcs\n";
const char* kEnd =
    "  U    -    -    -    -    -    -    -    -   -    -  -  -  0 97 0.48 96.8    -\n"
    "ALL    0    0    0  176  113   58    1    0 100  182  0  1  0 99 0.01  3.2  149\n";

std::string cpu_row(const std::string& cpu, int user, int system) {
    return cpu + "    0    0    0   12    0    0    0    0   -    0 " + std::to_string(user) + " " +
           std::to_string(system) + "  0 50 0.00  0.4   12\n";
}

std::string snapshot(const std::string& time, int lcpu, const std::string& cpu_rows,
                     bool end_rows = true) {
    return "zzz ***Mon Jun 6 " + time +
           " CDT 2016\nSystem configuration: lcpu=" + std::to_string(lcpu) +
           " ent=0.50 mode=Uncapped\n" + kHeader + cpu_rows + (end_rows ? kEnd : "");
}

TEST(MpstatAix, WorkedExample) {
    MpstatWindow w;
    ASSERT_TRUE(w.load_file(mpstat_fixture("aix_sample.dat")));
    ASSERT_TRUE(w.analyse()) << w.form.last_error();
    ASSERT_EQ(w.chart().series_count(), 2);
    EXPECT_EQ(w.chart().series(0).title(), "CPU# 0");
    EXPECT_EQ(w.chart().series(1).title(), "CPU# 1");
    EXPECT_EQ(w.chart().series(0).colour(), rgb(0xFF0000));
    EXPECT_EQ(w.chart().series(1).colour(), rgb(0x00FF00));
    EXPECT_EQ(w.chart().series(0).kind(), SeriesKind::Line);
    EXPECT_EQ(w.all_values(), (Values{{47}, {2}}));
    EXPECT_EQ(w.labels(0), (std::vector<std::string>{"10:00:01"}));
    EXPECT_EQ(w.labels(1), (std::vector<std::string>{"10:00:01"}));
    EXPECT_EQ(w.form.mpstat.cpu_num.items(), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(w.form.mpstat.cpu_num.text(), "0");
    EXPECT_EQ(w.form.mpstat.cpu_num.item_index(), 0);
    EXPECT_EQ(w.active_tab(), w.analyze_tab());
}

TEST(MpstatAix, SelectingTheFirstCpuAfterTheCountRunsNoChangeAction) {
    MpstatWindow w;
    ASSERT_TRUE(w.load_file(mpstat_fixture("aix_sample.dat")));
    ASSERT_TRUE(w.analyse());
    // cpu_numChange would have set the value marks style.
    EXPECT_EQ(w.chart().series(0).marks_style(), MarksStyle::Default);
}

TEST(MpstatAix, AnalysingTwiceDrawsWhatAnalysingOnceDoes) {
    MpstatWindow w;
    ASSERT_TRUE(w.load_file(mpstat_fixture("aix_sample.dat")));
    ASSERT_TRUE(w.analyse());
    ASSERT_TRUE(w.form.user_pick("cpu_num", 1));
    ASSERT_TRUE(w.analyse());
    EXPECT_EQ(w.all_values(), (Values{{47}, {2}}));
    EXPECT_EQ(w.form.mpstat.cpu_num.items(), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(w.form.mpstat.cpu_num.text(), "0");
    EXPECT_EQ(w.chart().series(1).colour(), rgb(0x00FF00));
}

TEST(MpstatAix, CountAndCpuNumbersOfThreeDigitsAreReadWhole) {
    MpstatWindow w;
    ASSERT_TRUE(w.load_file(mpstat_fixture("aix_128_cpus.dat")));
    ASSERT_TRUE(w.analyse()) << w.form.last_error();
    ASSERT_EQ(w.chart().series_count(), 128);
    EXPECT_EQ(w.chart().series(127).title(), "CPU# 127");
    EXPECT_EQ(w.form.mpstat.cpu_num.count(), 128);
    EXPECT_EQ(w.values(0), (std::vector<double>{47}));
    EXPECT_EQ(w.values(99), (std::vector<double>{11}));
    EXPECT_EQ(w.values(100), (std::vector<double>{15}));
    EXPECT_EQ(w.values(127), (std::vector<double>{90}));
    EXPECT_EQ(w.chart().series(1).point_count(), 0);
}

TEST(MpstatAix, FieldsAreFoundWhateverTheAlignment) {
    MpstatWindow w;
    // Single blanks, and a row indented and spaced wider than the header.
    ASSERT_TRUE(w.load_text(snapshot("10:00:01", 3,
                                     "0 0 0 0 1 1 1 1 0 - 0 12 3 0 85 0.00 0.4 1\n"
                                     "        1    0    0    0   12    0    0    0    0   -    0   "
                                     "   7      8  0 85\n"
                                     "2 0 0 0 1 1 1 1 0 - 0 4 16 0 80\n")));
    ASSERT_TRUE(w.analyse()) << w.form.last_error();
    EXPECT_EQ(w.all_values(), (Values{{15}, {15}, {20}}));
}

TEST(MpstatAix, FieldsAreFoundWhereverTheyStandInALongRow) {
    // The CPU number, user and system fields pushed by runs of blanks of
    // every width across the 64th and 128th characters, tabs left in place.
    MpstatWindow w;
    std::string rows;
    Values expected;
    for (int cpu = 0; cpu < 40; ++cpu) {
        const std::string gap(static_cast<std::size_t>(20 + cpu * 3), ' ');
        rows += std::string(static_cast<std::size_t>(cpu % 3), ' ') + std::to_string(cpu) + gap +
                "0 0 0\t0 0 0 0 0 0 - 0" + gap + std::to_string(cpu) + gap.substr(cpu % 7) +
                std::to_string(2 * cpu) + " 0 50\n";
        expected.push_back({3.0 * cpu});
    }
    ASSERT_TRUE(w.load_text(snapshot("10:00:01", 40, rows)));
    ASSERT_TRUE(w.analyse()) << w.form.last_error();
    EXPECT_EQ(w.all_values(), expected);
}

TEST(MpstatAix, SnapshotsAddOnePointEachAndAMissingCpuGetsOneFewer) {
    MpstatWindow w;
    ASSERT_TRUE(w.load_text(snapshot("10:00:01", 2, cpu_row("  0", 1, 2) + cpu_row("  1", 3, 4)) +
                            "-----\n" + snapshot("10:00:31", 2, cpu_row("  0", 5, 6)) +
                            snapshot("10:01:01", 2, cpu_row("  0", 7, 8) + cpu_row("  1", 9, 10))));
    ASSERT_TRUE(w.analyse()) << w.form.last_error();
    EXPECT_EQ(w.all_values(), (Values{{3, 11, 15}, {7, 19}}));
    EXPECT_EQ(w.labels(0), (std::vector<std::string>{"10:00:01", "10:00:31", "10:01:01"}));
    // CPU 1's second point sits at position 1, beside CPU 0's second one.
    EXPECT_EQ(w.labels(1), (std::vector<std::string>{"10:00:01", "10:01:01"}));
    EXPECT_EQ(w.chart().series(1).x(1), 1);
}

TEST(MpstatAix, AMarkerEndsABlockThatHasNoEndRows) {
    MpstatWindow w;
    ASSERT_TRUE(w.load_text(snapshot("10:00:01", 2, cpu_row("  0", 1, 2), false) +
                            snapshot("10:00:31", 2, cpu_row("  0", 5, 6), false) +
                            "zzz ***Mon Jun 6 10:01:01 CDT 2016\n" +
                            snapshot("10:01:31", 2, cpu_row("  1", 3, 3))));
    ASSERT_TRUE(w.analyse()) << w.form.last_error();
    EXPECT_EQ(w.all_values(), (Values{{3, 11}, {6}}));
    EXPECT_EQ(w.labels(1), (std::vector<std::string>{"10:01:31"}));
}

TEST(MpstatAix, LaterLargerCountAddsSeriesAndASmallerOneRemovesNone) {
    MpstatWindow w;
    ASSERT_TRUE(w.load_text(snapshot("10:00:01", 1, cpu_row("  0", 1, 1)) +
                            snapshot("10:00:31", 3, cpu_row("  2", 2, 2)) +
                            snapshot("10:01:01", 2, cpu_row("  2", 3, 3))));
    ASSERT_TRUE(w.analyse()) << w.form.last_error();
    EXPECT_EQ(w.all_values(), (Values{{2}, {}, {4, 6}}));
    EXPECT_EQ(w.form.mpstat.cpu_num.items(), (std::vector<std::string>{"0", "1", "2"}));
}

TEST(MpstatAix, TimeLabels) {
    struct Case {
        const char* marker;
        const char* label;
    } cases[] = {
        {"zzz ***Mon Jun 6 10:00:01 CDT 2016", "10:00:01"},
        {"zzz ***Mon Jun 6 9:00:01 CDT 2016", "9:00:01"},
        {"zzz", "zzz"},                    // no ":": the first eight characters
        {"zzz ***Monday June", "zzz***M"}, // blanks removed
        {"1:zzz", "1:zzz"},                // the start clamps to the first character
    };
    for (const Case& c : cases) {
        MpstatWindow w;
        const std::string text = std::string(c.marker) + "\nSystem configuration: lcpu=1\n" +
                                 kHeader + cpu_row("  0", 1, 1) + kEnd;
        ASSERT_TRUE(w.load_text(text));
        ASSERT_TRUE(w.analyse()) << c.marker << ": " << w.form.last_error();
        EXPECT_EQ(w.labels(0), (std::vector<std::string>{c.label})) << c.marker;
    }
}

TEST(MpstatAix, TableWithoutMarkersAddsNothingAndShowsTheAnalyzeTab) {
    MpstatWindow w;
    ASSERT_TRUE(w.load_text(std::string("System configuration: lcpu=2\n") + kHeader +
                            cpu_row("  0", 1, 1)));
    ASSERT_TRUE(w.analyse());
    EXPECT_EQ(w.chart().series_count(), 0);
    EXPECT_EQ(w.form.mpstat.cpu_num.count(), 0);
    EXPECT_EQ(w.active_tab(), w.analyze_tab());
}

TEST(MpstatAix, ColourTableForTheFirstTwentySeriesThenTheChartDefault) {
    MpstatWindow w;
    ASSERT_TRUE(w.load_text(snapshot("10:00:01", 22, cpu_row("  0", 1, 1))));
    ASSERT_TRUE(w.analyse()) << w.form.last_error();
    const Colour table[] = {
        rgb(0xFF0000), rgb(0x00FF00), rgb(0xFFFF00), rgb(0x0000FF), rgb(0xFF00FF),
        rgb(0x00FFFF), rgb(0xC0DCC0), rgb(0xA6CAF0), rgb(0xFFFBF0), kClBackground,
        rgb(0x000000), rgb(0x800000), rgb(0x008000), rgb(0x808000), rgb(0x000080),
        rgb(0x800080), rgb(0x008080), rgb(0x808080), rgb(0xC0C0C0), kClActiveCaption,
    };
    for (int i = 0; i < 20; ++i) EXPECT_EQ(w.chart().series(i).colour(), table[i]) << i;
    // Series 21 onwards are titled but keep what the chart gives a new series.
    Chart fresh;
    for (int i = 0; i < 22; ++i) fresh.add_series(SeriesKind::Line);
    EXPECT_EQ(w.chart().series(20).colour(), fresh.series(20).colour());
    EXPECT_EQ(w.chart().series(21).colour(), fresh.series(21).colour());
    EXPECT_EQ(w.chart().series(21).title(), "CPU# 21");
}

// Each case follows the worked example's snapshot, which stays drawn: an
// error ends the analysis where it is, keeps what was added, and leaves the
// Load tab in front.
TEST(MpstatAix, ErrorsEndTheAnalysisAndKeepWhatWasDone) {
    struct Case {
        const char* name;
        std::string text;
        const char* message;
        int series;
    } cases[] = {
        {"CPU number without a series", snapshot("10:00:31", 2, cpu_row("  5", 1, 1)),
         "List index out of bounds (5)", 2},
        {"no configuration row", std::string("zzz ***10:00:31\n") + kHeader + cpu_row("  4", 1, 1),
         "List index out of bounds (4)", 2},
        {"system time not whole", snapshot("10:00:31", 2, "  0 0 0 0 1 1 1 1 0 - 0 1 2.5 0 97\n"),
         "'2.5' is not a valid integer value", 2},
        {"system time converted before user time",
         snapshot("10:00:31", 2, "  0 0 0 0 1 1 1 1 0 - 0 x y 0 97\n"),
         "'y' is not a valid integer value", 2},
        {"CPU number checked last", snapshot("10:00:31", 2, "  c 0 0 0 1 1 1 1 0 - 0 1 1 0 97\n"),
         "'c' is not a valid integer value", 2},
        {"short row", snapshot("10:00:31", 2, "  0 0 0\n"), "'' is not a valid integer value", 2},
        {"count not a number", "zzz ***10:00:31\nSystem configuration: lcpu=many ent=0.5\n",
         "'many' is not a valid integer value", 2},
        {"count past 4096 adds no series",
         "zzz ***10:00:31\nSystem configuration: lcpu=100000 ent=0.5\n" + std::string(kHeader),
         "'100000' is not a valid integer value", 2},
        {"file ends after the marker", "zzz ***10:00:31\n", "'' is not a valid integer value", 2},
        {"file ends after the count", "zzz ***10:00:31\nSystem configuration: lcpu=3\n",
         "'' is not a valid integer value", 3},
        {"file ends after the header",
         "zzz ***10:00:31\nSystem configuration: lcpu=2\n" + std::string(kHeader),
         "'' is not a valid integer value", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MpstatWindow w;
        ASSERT_TRUE(w.load_file(mpstat_fixture("aix_sample.dat")));
        ASSERT_TRUE(w.load_text(c.text));
        const int rows = w.grid().RowCount();
        EXPECT_FALSE(w.analyse());
        EXPECT_EQ(w.messages.shown, (std::vector<std::string>{c.message}));
        EXPECT_EQ(w.chart().series_count(), c.series);
        EXPECT_EQ(w.values(0), (std::vector<double>{47}));
        EXPECT_EQ(w.values(1), (std::vector<double>{2}));
        EXPECT_EQ(w.active_tab(), 0);
        EXPECT_EQ(w.grid().RowCount(), rows);
        // The window goes on working.
        EXPECT_TRUE(w.form.user_pick("cpu_num", 1));
        EXPECT_EQ(w.chart().series(1).marks_style(), MarksStyle::Value);
    }
}

TEST(MpstatAix, CountOf4096IsTheLargestAccepted) {
    MpstatWindow w;
    ASSERT_TRUE(w.load_text(snapshot("10:00:01", 4096, cpu_row("4095", 1, 1))));
    ASSERT_TRUE(w.analyse()) << w.form.last_error();
    EXPECT_EQ(w.chart().series_count(), 4096);
    EXPECT_EQ(w.values(4095), (std::vector<double>{2}));
}

} // namespace
} // namespace kavro::testing
