// The " Sort Order " choices of the "Raw Data" tab.
#include "core/error.h"
#include "core/progress.h"
#include "osw_ps/ps.h"
#include "ps_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace kavro;
using namespace kavro::testing;
using Rows = std::vector<std::string>;

namespace {

// Fills osw_ps_grid as an analysis leaves it: the rows, no append slot.
void fill(StringTable& t, const Rows& rows) {
    t.ResetTable();
    for (const std::string& r : rows) {
        std::vector<std::string> cells;
        std::size_t start = 0;
        for (std::size_t bar; (bar = r.find('|', start)) != std::string::npos; start = bar + 1)
            cells.push_back(r.substr(start, bar - start));
        cells.push_back(r.substr(start));
        t.AppendRow(cells);
    }
    t.SetRowCount(t.RowCount() - 1);
}

} // namespace

TEST(PsSort, Keys) {
    struct NumberCase {
        const char* text;
        double key;
    } numbers[] = {{"", 0},    {"12", 12},  {" 12.5\t", 12.5}, {"1e3", 1000},
                   {"abc", 0}, {"0x10", 0}, {"-3", -3},        {"\n7\r", 7}};
    for (const auto& c : numbers) EXPECT_EQ(NumberKey(c.text), c.key) << c.text;
    EXPECT_EQ(TextKey(""), "0.00");
    EXPECT_EQ(TextKey(" \tabc \n"), "abc");
    EXPECT_EQ(TextKey("   "), "") << "only an empty text becomes 0.00";
}

TEST(PsSort, EachChoiceOrdersItsColumnAndKeepsRowsWhole) {
    const Rows table = {"9:05:01|100|oracle|5", "10:00:00|99|Oracle|12.5", "|7|root|n/a",
                        "00:00:00|1000|grid|0.5", "10:00:01|8|oracle2|"};
    struct Case {
        const char* choice;
        Rows want;
    } cases[] = {
        // Texts compare byte for byte; an empty time sorts as "0.00", before
        // "00:00:00".
        {"RadioButton1",
         {"|7|root|n/a", "00:00:00|1000|grid|0.5", "10:00:00|99|Oracle|12.5", "10:00:01|8|oracle2|",
          "9:05:01|100|oracle|5"}},
        {"RadioButton2",
         {"|7|root|n/a", "10:00:01|8|oracle2|", "10:00:00|99|Oracle|12.5", "9:05:01|100|oracle|5",
          "00:00:00|1000|grid|0.5"}},
        // Upper case before lower case, a text before the longer texts it
        // begins.
        {"RadioButton3",
         {"10:00:00|99|Oracle|12.5", "00:00:00|1000|grid|0.5", "9:05:01|100|oracle|5",
          "10:00:01|8|oracle2|", "|7|root|n/a"}},
        // Highest first; texts that are no number sort as 0.
        {"RadioButton4",
         {"10:00:00|99|Oracle|12.5", "9:05:01|100|oracle|5", "00:00:00|1000|grid|0.5"}},
    };
    for (const Case& c : cases) {
        PsForm t;
        fill(t.form.ps.osw_ps_grid, table);
        // Start from another choice so that the one tested becomes selected.
        t.form.ps.RadioButton1.select();
        if (std::string(c.choice) == "RadioButton1") t.form.ps.RadioButton2.select();
        fill(t.form.ps.osw_ps_grid, table);
        ASSERT_TRUE(t.form.user_click(c.choice));
        Rows got = t.ps_rows();
        if (std::string(c.choice) == "RadioButton4") {
            // The two rows keyed 0 keep no particular order.
            ASSERT_EQ(got.size(), 5u);
            Rows zeros(got.begin() + 3, got.end());
            std::sort(zeros.begin(), zeros.end());
            EXPECT_EQ(zeros, (Rows{"10:00:01|8|oracle2|", "|7|root|n/a"}));
            got.resize(3);
        }
        EXPECT_EQ(got, c.want) << c.choice;
        EXPECT_EQ(t.form.ps.osw_ps_grid.Cell(0, 0), "Time") << "the title row stays";
    }
}

TEST(PsSort, ChoosingTheSelectedChoiceDoesNothing) {
    PsForm t;
    ASSERT_TRUE(t.load({marker("9:59:30"), ps_line("oracle", "12", "1"), marker("10:00:00"),
                        ps_line("oracle", "12", "1")}));
    ASSERT_TRUE(t.analyse());
    const Rows analysis_order = {"9:59:30|12|oracle|1", "10:00:00|12|oracle|1"};
    ASSERT_TRUE(t.form.user_click("RadioButton1"));
    EXPECT_EQ(t.ps_rows(), analysis_order);
    ASSERT_TRUE(t.form.user_click("RadioButton2"));
    ASSERT_TRUE(t.form.user_click("RadioButton1"));
    EXPECT_EQ(t.ps_rows(), (Rows{"10:00:00|12|oracle|1", "9:59:30|12|oracle|1"}));
}

// The charts keep their state; a later "Filter" reads the rows in their new
// order and gives a pair of bars per run of equal times.
TEST(PsSort, FilterAfterASortBarsEachRunOfEqualTimes) {
    PsForm t;
    t.form.user_set("cpu_thr_value", "");
    ASSERT_TRUE(
        t.load({marker("09:00:00"), ps_line("oracle", "1", "1"), ps_line("oracle", "3", "2"),
                marker("09:00:30"), ps_line("oracle", "2", "3"), ps_line("oracle", "4", "4")}));
    ASSERT_TRUE(t.analyse());
    ASSERT_EQ(t.count_bars(), (Rows{"09:00:00=2", "09:00:30=2"}));
    ASSERT_TRUE(t.form.user_click("RadioButton2"));
    EXPECT_EQ(t.count_bars(), (Rows{"09:00:00=2", "09:00:30=2"})) << "sorting draws nothing";
    ASSERT_TRUE(t.filter());
    // By process ID the times alternate: four runs of one row each.
    EXPECT_EQ(t.count_bars().size(), 4u);
    EXPECT_EQ(t.cpu_bars()[0].substr(0, 9), "09:00:00=");
}

// Many rows with many equal keys, the shape of a real archive: every sort
// must leave its keys in order and every row whole.
TEST(PsSort, LargeTablesEndInOrderWithEveryRowIntact) {
    std::mt19937 rng(7);
    Rows table;
    for (int i = 0; i < 20000; ++i) {
        const int pid = static_cast<int>(rng() % 3000);
        const std::string cpu = std::to_string(rng() % 50) + "." + std::to_string(rng() % 10);
        table.push_back(std::to_string(rng() % 40) + ":00:00|" + std::to_string(pid) + "|user" +
                        std::to_string(pid % 17) + "|" + cpu);
    }
    const auto column = [](const std::string& row, int col) {
        std::size_t start = 0;
        for (int c = 0; c < col; ++c) start = row.find('|', start) + 1;
        return row.substr(start, row.find('|', start) - start);
    };
    struct Case {
        int column;
        void (*sort)(StringTable&, ColumnView, int, int);
        bool numeric;
        bool descending;
    } cases[] = {{0, SortRowsByText, false, false},
                 {1, SortRowsByNumberAsc, true, false},
                 {3, SortRowsByNumberDesc, true, true}};
    for (const Case& c : cases) {
        StringTable t(4);
        fill(t, table);
        c.sort(t, t.GetColumnView(c.column), 1, t.RowCount() - 1);
        const Rows got = PsForm::rows(t);
        for (std::size_t i = 1; i < got.size(); ++i) {
            const std::string a = column(got[i - 1], c.column), b = column(got[i], c.column);
            const bool in_order = c.numeric ? (c.descending ? NumberKey(a) >= NumberKey(b)
                                                            : NumberKey(a) <= NumberKey(b))
                                            : a <= b;
            ASSERT_TRUE(in_order) << "column " << c.column << " at row " << i;
        }
        Rows sorted_got = got, sorted_want = table;
        std::sort(sorted_got.begin(), sorted_got.end());
        std::sort(sorted_want.begin(), sorted_want.end());
        EXPECT_EQ(sorted_got, sorted_want) << "column " << c.column;
    }

    // A range of one row, or none, is left alone.
    StringTable one(4);
    fill(one, {"a|2|x|1"});
    SortRowsByNumberDesc(one, one.GetColumnView(3), 1, 1);
    SortRowsByText(one, one.GetColumnView(0), 1, 0);
    EXPECT_EQ(PsForm::rows(one), Rows{"a|2|x|1"});
}

// Cancelling from the progress dialog ends a load, an analysis or a sort like
// any error: what was done stays, and a sort leaves every row whole.
TEST(PsSort, CancellingKeepsWhatWasDoneAndEveryRowWhole) {
    struct CancelAtOnce : ProgressSink {
        void progress(std::uint64_t, std::uint64_t, std::string_view) override {
            throw Error("Cancelled by user");
        }
    } cancel;
    const auto archive_of = [](int lines) {
        Rows archive = {marker("09:00:00")};
        for (int i = 0; i < lines; ++i)
            archive.push_back(ps_line("oracle", std::to_string(i % 997), std::to_string(i % 89)));
        return archive;
    };
    PsForm t;
    t.form.progress = &cancel;
    // Larger than the blocks the load reads, so the cancel comes part way.
    const Rows big = archive_of(150000);
    EXPECT_FALSE(t.load(big));
    EXPECT_EQ(t.error(), "Cancelled by user");
    const int loaded = t.form.ps.osw_grid.RowCount() - 2;
    EXPECT_GT(loaded, 1);
    EXPECT_LT(loaded, static_cast<int>(big.size()));

    const Rows archive = archive_of(40000);

    t.form.progress = nullptr;
    t.form.ps.osw_grid.ResetTable();
    ASSERT_TRUE(t.load(archive));
    ASSERT_TRUE(t.analyse());
    Rows before = t.ps_rows();
    t.form.progress = &cancel;
    EXPECT_FALSE(t.form.user_click("RadioButton4"));
    EXPECT_EQ(t.error(), "Cancelled by user");
    Rows after = t.ps_rows();
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, before);
}
