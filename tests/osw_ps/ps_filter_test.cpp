// "Filter": which process lines show, the Gantt chart and the snapshot bars.
#include "core/convert.h"
#include "ps_form.h"

#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::testing;
using Rows = std::vector<std::string>;

namespace {

// Two snapshots: 12 and 1234 busy, 112 busy only in the second, 21 always
// quiet; owners oracle, orauser and root.
const Rows kArchive = {
    marker("09:00:00"),           ps_line("oracle", "12", "5"),    ps_line("orauser", "112", "1"),
    ps_line("root", "21", "0.5"), ps_line("oracle", "1234", "7"),  ps_line("grid", "99", "10"),
    marker("09:00:30"),           ps_line("oracle", "12", "6"),    ps_line("orauser", "112", "8.5"),
    ps_line("root", "21", "2"),   ps_line("oracle", "1234", "4.5")};

struct Criteria {
    const char* cpu;
    const char* pid;
    const char* owner;
};

void set(PsForm& t, const Criteria& c) {
    t.form.user_set("cpu_thr_value", c.cpu);
    t.form.user_set("pid_filter", c.pid);
    t.form.user_set("owner_filter", c.owner);
}

} // namespace

TEST(PsFilter, CriteriaChooseTheLinesAndTheCountedRows) {
    struct Case {
        Criteria criteria;
        Rows shown;
        Rows counts;
        Rows sums;
    } cases[] = {
        // The default threshold: a line shows when any point reaches 5.
        {{"5", "", ""},
         {"12", "112", "1234", "99"},
         {"09:00:00=3", "09:00:30=2"},
         {"09:00:00=22", "09:00:30=14.5"}},
        // No threshold: every line shows and every row counts.
        {{"", "", ""},
         {"12", "112", "21", "1234", "99"},
         {"09:00:00=5", "09:00:30=4"},
         {"09:00:00=23.5", "09:00:30=21"}},
        // A real threshold.
        {{"4.6", "", ""},
         {"12", "112", "1234", "99"},
         {"09:00:00=3", "09:00:30=2"},
         {"09:00:00=22", "09:00:30=14.5"}},
        // "12" is in 12, 112 and 1234; the rows must also reach the threshold.
        {{"", "12", ""},
         {"12", "112", "1234"},
         {"09:00:00=3", "09:00:30=3"},
         {"09:00:00=13", "09:00:30=19"}},
        // "ora" is in oracle and orauser.
        {{"", "", "ora"},
         {"12", "112", "1234"},
         {"09:00:00=3", "09:00:30=3"},
         {"09:00:00=13", "09:00:30=19"}},
        // All three at once.
        {{"6", "12", "ora"},
         {"12", "112", "1234"},
         {"09:00:00=1", "09:00:30=2"},
         {"09:00:00=7", "09:00:30=14.5"}},
        // A time whose rows all fail still gets its pair of bars.
        {{"9", "", ""}, {"99"}, {"09:00:00=1", "09:00:30=0"}, {"09:00:00=10", "09:00:30=0"}},
    };
    for (const Case& c : cases) {
        PsForm t;
        set(t, c.criteria);
        ASSERT_TRUE(t.load(kArchive));
        ASSERT_TRUE(t.analyse()) << t.error();
        const std::string name =
            std::string(c.criteria.cpu) + "/" + c.criteria.pid + "/" + c.criteria.owner;
        EXPECT_EQ(t.shown(), c.shown) << name;
        EXPECT_EQ(t.count_bars(), c.counts) << name;
        EXPECT_EQ(t.cpu_bars(), c.sums) << name;
        EXPECT_EQ(t.form.ps.osw_cpuutil_chart.series(0).point_colour(0), rgb(0x0000FF));
        EXPECT_EQ(t.form.ps.osw_proc_count_chart.series(0).point_colour(0), rgb(0x0000FF));
        // One Gantt bar per shown line, labelled with its process ID.
        ASSERT_EQ(t.gantt().size(), c.shown.size()) << name;
        for (std::size_t i = 0; i < c.shown.size(); ++i)
            EXPECT_EQ(t.gantt()[i].label, c.shown[i]) << name;
    }
}

// The owner test is per process: one matching row keeps the whole line.
TEST(PsFilter, OneRowWithAMatchingOwnerKeepsTheLine) {
    PsForm t;
    set(t, {"", "", "grid"});
    ASSERT_TRUE(
        t.load({marker("09:00:00"), ps_line("oracle", "40", "1"), ps_line("root", "41", "1"),
                marker("09:00:30"), ps_line("grid", "40", "1"), ps_line("root", "41", "1")}));
    ASSERT_TRUE(t.analyse());
    EXPECT_EQ(t.shown(), Rows{"40"});
    EXPECT_EQ(t.count_bars(), (Rows{"09:00:00=0", "09:00:30=1"}));
}

TEST(PsFilter, GanttBarsRunFromTheFirstToTheLastSighting) {
    PsForm t;
    set(t, {"", "", ""});
    ASSERT_TRUE(t.load({marker("09:00:00"), ps_line("oracle", "12", "1"), marker("09:00:30"),
                        ps_line("oracle", "12", "1"), ps_line("oracle", "13", "1"),
                        marker("9:01:00"), ps_line("oracle", "12", "1")}));
    ASSERT_TRUE(t.analyse());
    const auto& bars = t.gantt();
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0].label, "12");
    EXPECT_EQ(bars[0].position, 0);
    EXPECT_DOUBLE_EQ(bars[0].start, EncodeTime(9, 0, 0, 0));
    EXPECT_DOUBLE_EQ(bars[0].end, EncodeTime(9, 1, 0, 0));
    // Seen once: a bar of no length at that time.
    EXPECT_EQ(bars[1].label, "13");
    EXPECT_EQ(bars[1].position, 1);
    EXPECT_DOUBLE_EQ(bars[1].start, EncodeTime(9, 0, 30, 0));
    EXPECT_DOUBLE_EQ(bars[1].end, bars[1].start);

    // Hidden lines leave no gap in the rows.
    t.form.user_set("pid_filter", "13");
    ASSERT_TRUE(t.filter());
    ASSERT_EQ(t.gantt().size(), 1u);
    EXPECT_EQ(t.gantt()[0].position, 0);
}

TEST(PsFilter, PressingFilterAgainGivesTheSameCharts) {
    PsForm t;
    ASSERT_TRUE(t.load(kArchive));
    ASSERT_TRUE(t.analyse());
    const Rows shown = t.shown(), counts = t.count_bars(), sums = t.cpu_bars();
    const auto bars = t.gantt().size();
    ASSERT_TRUE(t.filter());
    EXPECT_EQ(t.shown(), shown);
    EXPECT_EQ(t.count_bars(), counts);
    EXPECT_EQ(t.cpu_bars(), sums);
    EXPECT_EQ(t.gantt().size(), bars);
    EXPECT_EQ(t.form.ps.osw_ps_grid.RowCount(), 10) << "the filter changes no table";
    EXPECT_EQ(t.form.ps.osw_process_chart.series_count(), 5);
}

TEST(PsFilter, AThresholdThatIsNoNumberStopsAtTheFirstPoint) {
    PsForm t;
    ASSERT_TRUE(t.load(kArchive));
    ASSERT_TRUE(t.analyse());
    const Rows counts = t.count_bars();
    t.form.user_set("cpu_thr_value", "five");
    EXPECT_FALSE(t.filter());
    EXPECT_EQ(t.error(), "'five' is not a valid floating point value");
    EXPECT_EQ(t.count_bars(), counts) << "the charts are not rebuilt";
}

// A time label that does not read as a time of day ends the filter in the
// Gantt phase: the bars added before stay, the snapshot charts stay empty.
TEST(PsFilter, TimeLabelsThatAreNoTimeOfDayStopTheGantt) {
    struct Case {
        const char* time;
        const char* message;
    } cases[] = {
        {"", "'' is not a valid integer value"}, // a row read before the first snapshot
        {"ab:00:00", "'ab' is not a valid integer value"},
        {"10:x5:00", "'x5' is not a valid integer value"},
        {"24:00:00", "Invalid argument to time encode"},
        {"23:60:00", "Invalid argument to time encode"},
        {"23:00:60", "Invalid argument to time encode"},
    };
    for (const Case& c : cases) {
        PsForm t;
        set(t, {"", "", ""});
        Rows archive = {marker("09:00:00"), ps_line("oracle", "12", "1")};
        if (*c.time) archive.push_back(marker(c.time));
        archive.push_back(ps_line("oracle", "13", "1"));
        // A row without a time comes first in the table when it exists.
        if (!*c.time)
            archive = {ps_line("oracle", "13", "1"), marker("09:00:00"),
                       ps_line("oracle", "12", "1")};
        ASSERT_TRUE(t.load(archive));
        EXPECT_FALSE(t.analyse()) << c.time;
        EXPECT_EQ(t.error(), c.message) << c.time;
        const std::size_t before = *c.time ? 1 : 0;
        EXPECT_EQ(t.gantt().size(), before) << c.time;
        EXPECT_EQ(t.form.ps.osw_proc_count_chart.series(0).point_count(), 0) << c.time;
        EXPECT_EQ(t.form.ps.osw_cpuutil_chart.series(0).point_count(), 0) << c.time;
    }
}

TEST(PsFilter, AnEmptyResultGivesOneEmptyBarPerChart) {
    PsForm t;
    ASSERT_TRUE(t.load({marker("09:00:00"), ps_line("oracle", "12", "-")}));
    ASSERT_TRUE(t.analyse());
    ASSERT_TRUE(t.filter());
    EXPECT_TRUE(t.gantt().empty());
    EXPECT_EQ(t.count_bars(), Rows{"=0"});
    EXPECT_EQ(t.cpu_bars(), Rows{"=0"});
}
