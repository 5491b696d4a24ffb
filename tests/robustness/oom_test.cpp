// Running out of memory: every allocation of an append, a series add, a
// load and an analysis is made to fail in turn. The table or chart must stay
// whole (what was committed reads back, the slot holds no half line, every
// series is found under its title), the action must end with "Out of
// memory", the other pages keep what they hold, and the page then works as
// after start-up.

#include "alloc_fail.h"
#include "hostile.h"
#include "window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <new>

namespace kavro::testing {
namespace {

// Allocations `action` makes when nothing fails.
std::uint64_t count_allocations(const std::function<void()>& action) {
    std::uint64_t n = 0;
    {
        FailingAllocation counting(0);
        action();
        n = allocations_counted();
    }
    return n;
}

// The allocations to fail, out of n: every one of the first 40, then evenly
// spread so that a sweep takes at most about `most` runs.
std::vector<std::uint64_t> failure_points(std::uint64_t n, std::uint64_t most = 120) {
    std::vector<std::uint64_t> at;
    const std::uint64_t step = std::max<std::uint64_t>(1, n / most);
    for (std::uint64_t k = 1; k <= n; k += k < 40 ? 1 : step) at.push_back(k);
    return at;
}

std::vector<std::string> lines_of_many_sizes(int n) {
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) {
        // Mostly short lines, now and then one longer than a chunk's half,
        // which gets a chunk of its own.
        const std::size_t size = i % 97 == 0 ? 5000 + i : 10 + i % 50;
        lines.push_back(std::to_string(i) + std::string(size, 'a' + i % 26));
    }
    return lines;
}

// ------------------------------------------------------------ the table

TEST(OutOfMemory, AFailedLineAppendLeavesTheTableAsBefore) {
    // More lines than one block of row records, so the sweep also fails
    // the allocation of the next block.
    const std::vector<std::string> lines = lines_of_many_sizes(4500);
    const auto load = [&](StringTable& t, std::size_t& done) {
        for (; done < lines.size(); ++done) t.AppendLine(lines[done]);
    };
    const std::uint64_t n = count_allocations([&] {
        StringTable t;
        std::size_t done = 0;
        load(t, done);
    });
    ASSERT_GT(n, 10u);
    for (std::uint64_t k : failure_points(n, 400)) {
        StringTable t;
        std::size_t done = 0;
        {
            FailingAllocation fail(k);
            try {
                load(t, done);
            } catch (const std::bad_alloc&) {
            }
        }
        ASSERT_EQ(t.RowCount(), static_cast<int>(done) + 2) << "allocation " << k;
        for (std::size_t i = 0; i < done; ++i)
            ASSERT_EQ(t.Cell(0, static_cast<int>(i) + 1), lines[i]) << "allocation " << k;
        ASSERT_EQ(t.Cell(0, t.RowCount() - 1), "") << "the slot after allocation " << k;
        // Going on from where it failed gives the whole file.
        load(t, done);
        ASSERT_EQ(column0(t).size(), lines.size() + 1);
        ASSERT_EQ(t.Cell(0, static_cast<int>(lines.size())), lines.back());
    }
}

TEST(OutOfMemory, AFailedRowAppendKeepsTheCommittedRows) {
    const std::vector<std::string> texts = lines_of_many_sizes(300);
    const auto fill = [&](StringTable& t, std::size_t& done) {
        for (; done < texts.size(); ++done)
            t.AppendRow({texts[done], std::to_string(done), texts[texts.size() - 1 - done]});
    };
    const std::uint64_t n = count_allocations([&] {
        StringTable t(3);
        std::size_t done = 0;
        fill(t, done);
    });
    for (std::uint64_t k : failure_points(n)) {
        StringTable t(3);
        std::size_t done = 0;
        {
            FailingAllocation fail(k);
            try {
                fill(t, done);
            } catch (const std::bad_alloc&) {
            }
        }
        ASSERT_EQ(t.RowCount(), static_cast<int>(done) + 2) << "allocation " << k;
        for (std::size_t i = 0; i < done; ++i)
            ASSERT_EQ(t.RowSnapshot(static_cast<int>(i) + 1),
                      (std::vector<std::string>{texts[i], std::to_string(i),
                                                texts[texts.size() - 1 - i]}))
                << "allocation " << k;
        fill(t, done);
        ASSERT_EQ(t.RowSnapshot(static_cast<int>(texts.size())),
                  (std::vector<std::string>{texts.back(), std::to_string(texts.size() - 1),
                                            texts.front()}));
    }
}

// Cutting most rows off a large table leaves its arena mostly dead, and the
// table compacts what is left into fresh chunks. Running out of memory on
// the way must leave every remaining cell readable as it was.
TEST(OutOfMemory, AFailedCompactionLeavesEveryCellAsItWas) {
    const auto big = [] {
        StringTable t(2);
        for (int i = 0; i < 6000; ++i)
            t.AppendRow({std::string(4000, static_cast<char>('a' + i % 26)), std::to_string(i)});
        return t;
    };
    constexpr int keep = 300;
    StringTable probe = big();
    const std::uint64_t n = count_allocations([&] { probe.SetRowCount(keep); });
    ASSERT_GT(n, 0u) << "cutting the table no longer compacts it";
    for (std::uint64_t k : failure_points(n)) {
        StringTable t = big();
        {
            FailingAllocation fail(k);
            try {
                t.SetRowCount(keep);
            } catch (const std::bad_alloc&) {
            }
        }
        ASSERT_EQ(t.RowCount(), keep);
        for (int i = 1; i < keep; ++i) {
            const int line = i - 1;
            ASSERT_EQ(t.Cell(0, i), std::string(4000, static_cast<char>('a' + line % 26)))
                << "row " << i << ", allocation " << k;
            ASSERT_EQ(t.Cell(1, i), std::to_string(line)) << "row " << i << ", allocation " << k;
        }
        // And the table takes new rows.
        t.AppendRow({"more", "rows"});
        ASSERT_EQ(t.Cell(0, keep - 1), "more");
    }
}

// ------------------------------------------------------------ the chart

// Every series is listed under its own title and found by it.
void expect_index_whole(const Chart& chart, std::uint64_t k) {
    for (int i = 0; i < chart.series_count(); ++i) {
        const std::string& title = chart.series(i).title();
        const std::vector<int>& found = chart.series_with_title(title);
        ASSERT_TRUE(std::find(found.begin(), found.end(), i) != found.end())
            << "series " << i << " '" << title << "' not found, allocation " << k;
        for (int j : found) ASSERT_EQ(chart.series(j).title(), title) << "allocation " << k;
    }
}

TEST(OutOfMemory, AFailedSeriesAddLeavesTheTitleIndexWhole) {
    constexpr int n_series = 60;
    const auto draw = [](Chart& chart, int& done) {
        for (; done < n_series; ++done) {
            Series& s = chart.add_series(SeriesKind::Line);
            s.set_title("#" + std::to_string(done) + ":db file sequential read(ela=)");
            s.add_point(done, done, "label " + std::to_string(done % 7));
        }
    };
    const std::uint64_t n = count_allocations([&] {
        Chart chart;
        int done = 0;
        draw(chart, done);
    });
    for (std::uint64_t k : failure_points(n, 400)) {
        Chart chart;
        int done = 0;
        {
            FailingAllocation fail(k);
            try {
                draw(chart, done);
            } catch (const std::bad_alloc&) {
            }
        }
        expect_index_whole(chart, k);
        // A retitle after the failure finds the series where it is.
        if (chart.series_count() > 0) {
            chart.series(0).set_title("renamed");
            ASSERT_EQ(chart.find_series("renamed"), &chart.series(0));
        }
        expect_index_whole(chart, k);
    }
}

// ------------------------------------------------------------ the window

std::vector<std::string> without_slot(std::vector<std::string> rows) {
    if (!rows.empty() && rows.back().empty()) rows.pop_back();
    return rows;
}

struct PageAction {
    std::string name;
    Page page;
    std::string content; // loaded before the action, or the file of a load
    bool is_load;
};

std::vector<PageAction> page_actions() {
    std::string trace;
    for (int c = 1; c <= 6; ++c) {
        const std::string n = std::to_string(c);
        trace += "WAIT #" + n + ": nam='db file sequential read' ela= 1" + n + " obj#=7" + n +
                 " tim=9" + n + "\nFETCH #" + n + ":c=0,e=45,p=0,cr=7,cu=0,r=1,tim=99" + n +
                 "\nSTAT #" + n + " id=1 cnt=14 pid=0 pos=" + n +
                 " obj=5 op='TABLE ACCESS FULL EMP (cr=8 pr=6 pw=0 time=23" + n +
                 " us cost=3 size=532 card=14)'\n";
    }
    std::string ps = "zzz ***Mon Jun 6 09:05:01 EST 2016\n";
    std::string ps2 = "zzz ***Mon Jun 6 09:05:31 EST 2016\n";
    for (int p = 1; p <= 8; ++p) {
        char row[96];
        std::snprintf(row, sizeof row, "oracle   %5d     1  19 %4.1f  1.0 ora_%d\n", 4240 + p,
                      2.5 * p, p);
        ps += row;
        ps2 += row;
    }
    ps += ps2;
    std::string mpstat;
    for (const char* time : {"10:00:01", "10:00:31"}) {
        mpstat += std::string("zzz ***Mon Jun 6 ") + time +
                  " CDT 2016\nSystem configuration: lcpu=4 ent=0.50\n"
                  "cpu  min  maj  mpc  int   cs  ics   rq  mig lpa sysc us sy wa id\n";
        for (int c = 0; c < 4; ++c)
            mpstat += "  " + std::to_string(c) +
                      "    0    0    0  164  113   58    1    0 100  182 19 28  0 52\n";
        mpstat += "  U    -\n";
    }
    std::string netstat;
    for (const char* n : {"3281070", "3281170", "3281999"})
        netstat += std::string("zzz ***Mon Jun 6 10:00:01 CDT 2016\nIp:\n    ") + n +
                   " total packets received\nTcp:\n    1" + n +
                   " segments received\n    12 active connection openings\n";
    return {
        {"TraceLoad", Page::Trace, trace, true},
        {"TraceAnalysis", Page::Trace, trace, false},
        {"PsLoad", Page::Ps, ps, true},
        {"PsAnalysis", Page::Ps, ps, false},
        {"MpstatLoad", Page::Mpstat, mpstat, true},
        {"MpstatAnalysis", Page::Mpstat, mpstat, false},
        {"NetstatLoad", Page::Netstat, netstat, true},
        {"NetstatAnalysis", Page::Netstat, netstat, false},
    };
}

void PrintTo(const PageAction& a, std::ostream* os) {
    *os << a.name;
}

class OutOfMemoryIn : public ::testing::TestWithParam<PageAction> {};

// What follows the load or analysis on the page: the ps sorts and filter,
// the netstat views. Each is a user action of its own, which may run out of
// memory too, and on a page that an action left half done may meet that
// page's own errors as well.
void follow_ups(Window& w, Page page) {
    if (page == Page::Ps)
        for (const char* name : {"RadioButton2", "RadioButton3", "RadioButton4", "cpu_filter"})
            w.form.user_click(name);
    if (page == Page::Netstat)
        for (int i = 0; i < w.form.netstat.net_combo.count(); ++i)
            w.form.run([&w, i] { w.form.netstat.net_combo.user_pick(i); });
}

// The actions go through run() with nothing allocated on the way in (the
// file name is set beforehand), so every allocation counted is one of the
// action's own.
TEST_P(OutOfMemoryIn, StopsWithAMessageKeepsWhatItReadAndTheWindowGoesOn) {
    const PageAction& a = GetParam();
    Window w;
    const PageInfo& p = page_info(a.page);
    const std::string path = w.file("input", a.content);
    const std::vector<std::string> lines = text_file_lines(a.content);
    const auto prepare = [&] {
        ASSERT_TRUE(w.clear(a.page));
        ASSERT_TRUE(w.form.user_set(p.file_edit, path));
        if (!a.is_load) {
            ASSERT_TRUE(w.form.user_click(p.load));
        }
    };
    const auto act = [&] {
        if (a.is_load) {
            w.form.user_click(p.load);
        } else {
            w.form.user_click(p.analyse);
            follow_ups(w, a.page);
        }
    };
    prepare();
    const std::uint64_t n = count_allocations(act);
    ASSERT_GT(n, 0u);
    const StringTable& raw = *TForm1::find(w.form.tables, p.raw);
    for (std::uint64_t k : failure_points(n)) {
        prepare();
        const Digest before = digest(w.form);
        const std::size_t shown = w.messages.shown.size();
        {
            FailingAllocation fail(k);
            act();
        }
        if (allocation_failed()) {
            const std::vector<std::string> now(w.messages.shown.begin() + static_cast<long>(shown),
                                               w.messages.shown.end());
            EXPECT_NE(std::find(now.begin(), now.end(), "Out of memory"), now.end())
                << "allocation " << k;
        }
        // Whatever it stopped at, every cell and point reads back...
        digest(w.form);
        // ...the lines read so far are the file's first lines, whole...
        if (a.is_load) {
            const std::vector<std::string> rows = column0(raw);
            ASSERT_FALSE(rows.empty());
            ASSERT_EQ(rows.back(), "") << "the slot after allocation " << k;
            ASSERT_LE(rows.size() - 1, lines.size());
            for (std::size_t i = 0; i + 1 < rows.size(); ++i)
                ASSERT_EQ(rows[i], lines[i]) << "line " << i << ", allocation " << k;
        } else {
            // The ps analysis trims its raw table, dropping the empty slot.
            ASSERT_EQ(without_slot(column0(raw)), lines) << "allocation " << k;
        }
        // ...the other pages are untouched, and the page works again.
        w.expect_others_unchanged(before, a.page);
        w.expect_page_works(a.page);
        if (::testing::Test::HasFailure()) break;
    }
}

INSTANTIATE_TEST_SUITE_P(Robustness, OutOfMemoryIn, ::testing::ValuesIn(page_actions()),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace kavro::testing
