// Times the refresh of the trace page's "Analyze" tab on a large analysis:
// thousands of timeline series holding a million points, a few thousand
// touch-count rows and plan rows, as a long trace of many cursors leaves them.
//
//   bench_trace_view [CURSORS] [SERIES_PER_CURSOR] [POINTS]
#include "app/form.h"
#include "bench_util.h"
#include "core/convert.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace kavro;
using kavro::bench::Random;
using kavro::bench::Stopwatch;

namespace {

const char* kEvents[] = {"db file sequential read",
                         "db file scattered read",
                         "direct path read",
                         "log file sync",
                         "SQL*Net message from client",
                         "gc cr block 2-way",
                         "enq: TX - row lock contention",
                         "latch: cache buffers chains"};

std::string ref(int cursor) {
    return "#" + IntToStr(cursor) + ":";
}

void fill(TForm1& form, int cursors, int per_cursor, long long points) {
    TracePage& page = form.trace;
    Random rnd(42);
    const int series = cursors * per_cursor;
    const long long per_series = points / series;
    for (int c = 1; c <= cursors; ++c) {
        for (int k = 0; k < per_cursor; ++k) {
            std::string title = ref(c) + kEvents[k % std::size(kEvents)] + "(" +
                                (k < 8 ? "ela=" : "p" + IntToStr(k) + "=") + ")";
            Series& s = page.trace_graph.add_series(SeriesKind::Line);
            s.set_title(title);
            for (long long p = 0; p < per_series; ++p)
                s.add_point(static_cast<double>(p), static_cast<double>(rnd.below(100000)));
            page.dispbox.add(title);
        }
        AddUniqueItem(page.cursor_combo, ref(c));
    }
    for (int c = 1; c <= cursors; ++c)
        for (int e = 0; e < 6; ++e) {
            const std::string event = ref(c) + kEvents[e];
            page.touch_grid1.AppendRow({event, IntToStr(rnd.below(50000)), IntToStr(1 + e)});
            page.touch_grid2.AppendRow({event + " " + IntToStr(rnd.below(90000)),
                                        IntToStr(rnd.below(50000)), IntToStr(2 + e)});
        }
    for (int c = 1; c <= cursors; ++c)
        for (int step = 0; step < 4; ++step) {
            StringTable& plan = page.execplan_grid;
            plan.SetSlotCell(0, ref(c));
            plan.SetSlotCell(3, std::string(static_cast<std::size_t>(step), ' ') + "TABLE ACCESS");
            plan.SetSlotCell(7, step == 3 ? "" : IntToStr(rnd.below(900000)));
            plan.CommitSlot();
        }
    for (StringTable* t : {&page.touch_grid1, &page.touch_grid2, &page.execplan_grid})
        t->TrimTable();
    page.cursor_combo.select(0);
}

long long point_total(const Chart& chart) {
    long long n = 0;
    for (int i = 0; i < chart.series_count(); ++i) n += chart.series(i).point_count();
    return n;
}

double time_ms(TForm1& form, int index, int rounds) {
    // Alternating with "All" makes every round move almost every list item.
    double total = 0;
    for (int r = 0; r < rounds; ++r) {
        Stopwatch watch;
        if (!form.user_pick("cursor_combo", index)) std::exit(1);
        total += watch.seconds();
        if (index != 0 && !form.user_pick("cursor_combo", 0)) std::exit(1);
    }
    return total * 1000 / rounds;
}

} // namespace

int main(int argc, char** argv) {
    const int cursors = argc > 1 ? std::atoi(argv[1]) : 500;
    const int per_cursor = argc > 2 ? std::atoi(argv[2]) : 10;
    const long long points = argc > 3 ? std::atoll(argv[3]) : 1000000;

    TForm1 form;
    Stopwatch build;
    fill(form, cursors, per_cursor, points);
    const TracePage& page = form.trace;
    std::printf("series %d, points %lld, touch rows %d + %d, plan rows %d (built in %.2f s)\n",
                page.trace_graph.series_count(), point_total(page.trace_graph),
                page.touch_grid1.RowCount() - 1, page.touch_grid2.RowCount() - 1,
                page.execplan_grid.RowCount() - 1, build.seconds());

    const int rounds = 20;
    const int picked = cursors / 2; // item index of a cursor in the middle
    const double narrow = time_ms(form, picked, rounds);
    if (!form.user_pick("cursor_combo", picked)) return 1;
    std::printf("All -> %-6s %8.3f ms  (then %d items displayed, %d hidden)\n",
                page.cursor_combo.text().c_str(), narrow, page.dispbox.count(),
                page.hidebox.count());
    if (!form.user_pick("cursor_combo", 0)) return 1;
    std::printf("All -> All    %8.3f ms\n", time_ms(form, 0, rounds));

    // From a narrowed view back to everything: the hide list is full.
    double back = 0;
    for (int r = 0; r < rounds; ++r) {
        if (!form.user_pick("cursor_combo", picked)) return 1;
        Stopwatch watch;
        if (!form.user_pick("cursor_combo", 0)) return 1;
        back += watch.seconds();
    }
    std::printf("ref -> All    %8.3f ms\n", back * 1000 / rounds);

    // Typing "#1" key by key from "All": the second key narrows to cursors
    // 1, 10-19, 100-199.
    double typed = 0;
    int typed_shown = 0;
    for (int r = 0; r < rounds; ++r) {
        Stopwatch watch;
        if (!form.user_set("cursor_combo", "#") || !form.user_set("cursor_combo", "#1")) return 1;
        typed += watch.seconds();
        typed_shown = page.dispbox.count();
        if (!form.user_pick("cursor_combo", 0)) return 1;
    }
    std::printf("type # #1     %8.3f ms  (%d items displayed)\n", typed * 1000 / rounds,
                typed_shown);

    Stopwatch buttons;
    if (!form.user_click("hideallbut") || !form.user_click("dispallbut")) return 1;
    std::printf(">> then <<    %8.3f ms\n", buttons.seconds() * 1000);
    return 0;
}
