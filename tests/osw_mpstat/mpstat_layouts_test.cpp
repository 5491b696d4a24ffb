// The Linux sysstat and Solaris layouts: no configuration row, a header that
// names the CPU, user and system columns, CPU rows found by those columns.

#include "mpstat_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kavro::testing {
namespace {

using Values = std::vector<std::vector<double>>;

const char* kLinuxHeader = "  CPU    %usr   %nice    %sys %iowait    %irq   %soft  %steal  %guest  "
                           "%gnice   %idle\n";

// A sysstat row: time, CPU, then %usr %nice %sys and zeros up to %idle.
std::string linux_row(const std::string& time, const std::string& cpu, const char* usr,
                      const char* sys) {
    return time + "  " + cpu + "   " + usr + "    0.00   " + sys +
           "    0.00    0.00    0.00    0.00    0.00    0.00   90.00\n";
}

TEST(MpstatLayouts, SameFiguresInEveryLayoutDrawTheSameChart) {
    struct Drawn {
        std::vector<std::string> titles, labels_0, labels_2, items;
        std::vector<Colour> colours;
        Values values;
        std::string cpu_num_text;
    };
    const auto draw = [](const std::string& name) {
        MpstatWindow w;
        EXPECT_TRUE(w.load_file(mpstat_fixture(name)));
        EXPECT_TRUE(w.analyse()) << name << ": " << w.form.last_error();
        Drawn d;
        for (int i = 0; i < w.chart().series_count(); ++i) {
            d.titles.push_back(w.chart().series(i).title());
            d.colours.push_back(w.chart().series(i).colour());
        }
        d.values = w.all_values();
        if (w.chart().series_count() == 3) {
            d.labels_0 = w.labels(0);
            d.labels_2 = w.labels(2);
        }
        d.items = w.form.mpstat.cpu_num.items();
        d.cpu_num_text = w.form.mpstat.cpu_num.text();
        EXPECT_EQ(w.active_tab(), w.analyze_tab()) << name;
        return d;
    };
    const Drawn aix = draw("same_aix.dat");
    EXPECT_EQ(aix.values, (Values{{47, 40}, {2}, {15, 2}}));
    EXPECT_EQ(aix.labels_0, (std::vector<std::string>{"10:00:01", "10:00:31"}));
    for (const char* other : {"same_linux.dat", "same_solaris.dat"}) {
        SCOPED_TRACE(other);
        const Drawn d = draw(other);
        EXPECT_EQ(d.titles, aix.titles);
        EXPECT_EQ(d.colours, aix.colours);
        EXPECT_EQ(d.values, aix.values);
        EXPECT_EQ(d.labels_0, aix.labels_0);
        EXPECT_EQ(d.labels_2, aix.labels_2);
        EXPECT_EQ(d.items, aix.items);
        EXPECT_EQ(d.cpu_num_text, aix.cpu_num_text);
    }
}

TEST(MpstatLayouts, RowsReadAndRowsPassedOver) {
    const std::string marker = "zzz ***Mon Jun 6 22:00:01 CDT 2016\n";
    struct Case {
        const char* name;
        std::string text;
        Values values;
    } cases[] = {
        {"two intervals with a 12-hour clock; all and Average rows passed over",
         marker + "Linux 4.1.12 (db01) \t06/06/2016 \t_x86_64_\t(2 CPU)\n\n" + "10:00:01 PM" +
             kLinuxHeader + linux_row("10:00:02 PM", "all", " 1.50", " 1.00") +
             linux_row("10:00:02 PM", "  0", " 2.00", " 1.50") +
             linux_row("10:00:02 PM", "  1", " 1.00", " 0.50") + "\n10:00:02 PM" + kLinuxHeader +
             linux_row("10:00:03 PM", "  0", " 4.00", " 0.25") +
             linux_row("10:00:03 PM", "  1", "10.00", "10.00") + "\nAverage:   " + kLinuxHeader +
             linux_row("Average:   ", "all", " 1.00", " 1.00") +
             linux_row("Average:   ", "  0", " 3.00", " 0.88"),
         {{3.5, 4.25}, {1.5, 20}}},
        {"24-hour clock: Average rows have the CPU where the clock rows do",
         marker + "22:00:01   " + kLinuxHeader + linux_row("22:00:02   ", "  0", " 2.00", " 1.50") +
             "\nAverage:   " + kLinuxHeader + linux_row("Average:   ", "  0", " 2.00", " 1.50"),
         {{3.5}}},
        {"older sysstat: %user and %system",
         marker + "10:00:01 PM  CPU   %user   %nice %system %iowait    %irq   %soft   %idle    "
                  "intr/s\n"
                  "10:00:02 PM    0    1.25    0.00    2.00    0.00    0.00    0.00   96.75   "
                  "1006.00\n",
         {{3.25}}},
        {"interrupt and node tables after an empty row are not CPU rows",
         marker + "08:50:55 AM" + kLinuxHeader + linux_row("08:50:55 AM", "  0", "26.15", "32.36") +
             "\n08:50:55 AM NODE    %usr   %nice    %sys %iowait\n" +
             "08:50:55 AM    0   26.15    8.92   32.36    1.39\n" +
             "\n08:50:55 AM  CPU    intr/s\n08:50:55 AM    0   1973.00\n" +
             "\n08:50:55 AM  CPU       HI/s    TIMER/s   NET_TX/s\n" +
             "08:50:55 AM    0       0.01     189.73       0.23\n",
         {{58.51}}},
        {"a header repeated without an empty row is read afresh",
         marker + "CPU minf mjf xcal  intr ithr  csw icsw migr smtx  srw syscl  usr sys  wt idl\n" +
             "  0    1   0    0   363  107  326    2    9    3    0   583    3   4   0  93\n" +
             "CPU usr sys wt idl\n" + "  0  10  20   0  70\n" + "<<State change>>\n" +
             "  0   1   1   0  98\n",
         {{7, 30, 2}}},
        {"a higher CPU first creates the series below it, in order",
         marker + "CPU minf mjf xcal  intr ithr  csw icsw migr smtx  srw syscl  usr sys  wt idl\n" +
             "  2    1   0    0   363  107  326    2    9    3    0   583    3   4   0  93\n" +
             "  0    1   0    0   363  107  326    2    9    3    0   583    1   1   0  98\n",
         {{2}, {}, {7}}},
        {"rows before the header and without a header are passed over",
         marker + "  0    1   0    0   363  107  326    2    9    3    0   583    3   4   0  93\n" +
             "zzz ***Mon Jun 6 22:00:31 CDT 2016\nCPU usr sys\n",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MpstatWindow w;
        ASSERT_TRUE(w.load_text(c.text));
        ASSERT_TRUE(w.analyse()) << w.form.last_error();
        const Values got = w.all_values();
        ASSERT_EQ(got.size(), c.values.size());
        for (std::size_t s = 0; s < got.size(); ++s) {
            ASSERT_EQ(got[s].size(), c.values[s].size()) << "series " << s;
            for (std::size_t p = 0; p < got[s].size(); ++p)
                EXPECT_DOUBLE_EQ(got[s][p], c.values[s][p]) << "series " << s << " point " << p;
        }
        for (int s = 0; s < w.chart().series_count(); ++s) {
            EXPECT_EQ(w.chart().series(s).title(), "CPU# " + std::to_string(s));
            for (const std::string& label : w.labels(s)) EXPECT_EQ(label, "22:00:01");
        }
        EXPECT_EQ(w.form.mpstat.cpu_num.count(), w.chart().series_count());
        if (w.chart().series_count() > 0) {
            EXPECT_EQ(w.form.mpstat.cpu_num.text(), "0");
        }
    }
}

TEST(MpstatLayouts, ErrorsEndTheAnalysisAndKeepWhatWasDone) {
    const std::string head = "zzz ***Mon Jun 6 10:00:01 CDT 2016\n10:00:01 AM" +
                             std::string(kLinuxHeader) +
                             linux_row("10:00:02 AM", "  1", " 2.00", " 1.00");
    struct Case {
        const char* name;
        std::string rows;
        const char* message;
    } cases[] = {
        {"CPU number 4096", linux_row("10:00:02 AM", "4096", " 1.00", " 1.00"),
         "'4096' is not a valid integer value"},
        {"CPU number past the integer range",
         linux_row("10:00:02 AM", "99999999999", " 1.00", " 1.00"),
         "'99999999999' is not a valid integer value"},
        {"user time not a number", linux_row("10:00:02 AM", "  0", " 1,50", " 1.00"),
         "'1,50' is not a valid floating point value"},
        {"row cut short", "10:00:02 AM    0    1.00    0.00\n",
         "'' is not a valid floating point value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MpstatWindow w;
        ASSERT_TRUE(w.load_text(head + c.rows));
        EXPECT_FALSE(w.analyse());
        EXPECT_EQ(w.messages.shown, (std::vector<std::string>{c.message}));
        // The series and point made before the bad row stay.
        EXPECT_EQ(w.all_values(), (Values{{}, {3}}));
        EXPECT_EQ(w.active_tab(), 0);
        EXPECT_TRUE(w.form.user_click("Button10"));
        EXPECT_EQ(w.chart().series_count(), 0);
    }
}

TEST(MpstatLayouts, CpuNumber4095IsTheLargestAccepted) {
    MpstatWindow w;
    ASSERT_TRUE(w.load_text("zzz ***10:00:01\nCPU usr sys\n4095 1 2\n"));
    ASSERT_TRUE(w.analyse()) << w.form.last_error();
    EXPECT_EQ(w.chart().series_count(), 4096);
    EXPECT_EQ(w.values(4095), (std::vector<double>{3}));
}

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Real sysstat output, wrapped in one OSWatcher snapshot.
TEST(MpstatLayouts, RealLinuxOutputs) {
    struct Case {
        const char* file;
        Values values;
    } cases[] = {
        // mpstat -A 2 5: five interval tables, interrupt tables, Average.
        {"raw_linux_sysstat_centos77_mpstat-A-2-5.out", {{0.5, 0.5, 0.5, 0.5, 0}}},
        // mpstat -A: a NODE table with the same columns follows the CPU one.
        {"raw_linux_sysstat_ubuntu1804_mpstat-A.out", {{58.51}}},
        // Plain mpstat: only the "all" row.
        {"raw_linux_sysstat_centos77_mpstat.out", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const auto path = real_data(std::string("mpstat/") + c.file);
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << "real mpstat outputs not found at " << path.parent_path();
        MpstatWindow w;
        ASSERT_TRUE(w.load_text("zzz ***Fri Mar 11 15:16:15 CST 2022\n" + read_file(path)));
        ASSERT_TRUE(w.analyse()) << w.form.last_error();
        const Values got = w.all_values();
        ASSERT_EQ(got.size(), c.values.size());
        for (std::size_t s = 0; s < got.size(); ++s) {
            ASSERT_EQ(got[s].size(), c.values[s].size());
            for (std::size_t p = 0; p < got[s].size(); ++p)
                EXPECT_DOUBLE_EQ(got[s][p], c.values[s][p]);
            for (const std::string& label : w.labels(static_cast<int>(s)))
                EXPECT_EQ(label, "15:16:15");
        }
        EXPECT_EQ(w.active_tab(), w.analyze_tab());
    }
}

TEST(MpstatLayouts, SampleArchivesAnalyseWithoutError) {
    struct Case {
        const char* file;
        int cpus;
        int points_per_cpu;
    } cases[] = {
        {"oswmpstat_aix.dat", 6, 6},   // one report per snapshot
        {"oswmpstat_linux.dat", 4, 8}, // two interval tables per snapshot
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        MpstatWindow w;
        ASSERT_TRUE(
            w.load_file((std::filesystem::path(KAVRO_SAMPLES) / "OSW_Files" / c.file).string()));
        ASSERT_TRUE(w.analyse()) << w.form.last_error();
        ASSERT_EQ(w.chart().series_count(), c.cpus);
        for (int s = 0; s < c.cpus; ++s) {
            EXPECT_EQ(w.chart().series(s).point_count(), c.points_per_cpu);
            for (double v : w.values(s)) {
                EXPECT_GE(v, 0);
                EXPECT_LE(v, 100);
            }
        }
    }
}

} // namespace
} // namespace kavro::testing
