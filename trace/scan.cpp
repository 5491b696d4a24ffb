#include "trace/scan.h"

#include "core/progress.h"
#include "trace/cuts.h"
#include "trace/plan.h"
#include "trace/touch.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <exception>
#include <system_error>
#include <thread>

namespace kavro {

namespace {

std::vector<std::string> rule_texts(const StringTable& table) {
    std::vector<std::string> out;
    for (int r = 1; r < table.RowCount(); ++r)
        if (!table.Cell(0, r).empty()) out.emplace_back(table.Cell(0, r));
    return out;
}

// General statistics of wait lines: one trace_detail row per matching
// metric, the cursor and event, the value, the metric and the line time.
void plot_wait_metrics(LineCuts& line, const LineRules& rules, StringTable& trace_detail,
                       std::string& event) {
    if (!line.passes_indicator(rules.indicator) || !line.passes_identifier(rules.identifier))
        return;
    bool named = false;
    for (const std::string& metric : rules.metrics) {
        const int p = line.rule_position(metric);
        if (p == 0) continue;
        if (!named) {
            event.assign(line.cursor_reference());
            event.append(line.event_name(rules.identifier, rules.container));
            named = true;
        }
        trace_detail.SetSlotCell(trace_detail_col::Event, event);
        trace_detail.SetSlotCellRef(trace_detail_col::Value,
                                    line.ref(rule_value(line.text(), p, metric, " ")));
        trace_detail.SetSlotCell(trace_detail_col::Type, metric);
        trace_detail.SetSlotCellRef(trace_detail_col::Time, line.ref(line.line_time()));
        trace_detail.CommitSlot();
    }
}

// General statistics of fetch lines: one trace_detail2 row per matching
// metric, named "#3:FETCH(cr=)".
void plot_fetch_metrics(LineCuts& line, const LineRules& rules, StringTable& trace_detail2,
                        std::string& event) {
    if (!line.passes_indicator(rules.indicator)) return;
    for (const std::string& metric : rules.metrics) {
        const int p = line.rule_position(metric);
        if (p == 0) continue;
        event.assign(line.cursor_reference());
        event.append(rules.indicator);
        event.push_back('(');
        event.append(metric);
        event.push_back(')');
        trace_detail2.SetSlotCell(trace_detail2_col::Event, event);
        trace_detail2.SetSlotCellRef(trace_detail2_col::Value,
                                     line.ref(rule_value(line.text(), p, metric, ",")));
        trace_detail2.SetSlotCellRef(trace_detail2_col::Time, line.ref(line.line_time()));
        trace_detail2.CommitSlot();
    }
}

} // namespace

ScanRules read_scan_rules(const TraceRulesPage& rules) {
    ScanRules s;
    s.general_wait = {rules.gts_waitind.text, rules.gts_metric.text, rules.gts_cont.text,
                      rule_texts(rules.tracerules_grid1)};
    s.general_fetch = {rules.gts_fetchind.text, "", "", rule_texts(rules.tracerules_grid4)};
    s.events_wait = {rules.wet_waitind.text, rules.wet_metric.text, rules.wet_cont.text,
                     rule_texts(rules.tracerules_grid2)};
    s.events_fetch = {rules.wet_fetchind.text, "", "", rule_texts(rules.tracerules_grid5)};
    s.blocks = {rules.ba_waitind.text, rules.ba_metric.text, rules.ba_cont.text,
                rule_texts(rules.tracerules_grid3)};
    return s;
}

namespace {

// The groups of line analyses (see ScanMode).
enum ScanParts : unsigned { kGeneral = 1, kTouch = 2, kAll = kGeneral | kTouch };

constexpr const char* kProgressText = "Anlayze SQL Trace File";

// A split scan goes by blocks of lines. The general group runs on the
// window's thread and reports progress; the touch group never starts a block
// the general group has not finished, so that whenever the run is cancelled
// both can stop at one line, where the single pass would have stopped.
constexpr int kSplitBlock = 4096;

struct SplitState {
    // The general group has done every line before this one (-1: it ended
    // in an error).
    std::atomic<int> general_line{1};
    // The touch group stops before this line (told on a cancel).
    std::atomic<int> touch_stop{INT32_MAX};
    std::atomic<int> touch_line{1}; // how far the touch group is
    std::atomic<bool> touch_done{false};
    // Row counts of the general group's tables after each block, for a
    // cancel that finds the touch group behind: trace_detail,
    // trace_detail2, execplan_grid.
    std::vector<std::array<int, 3>> general_rows;
};

// The line analyses of `parts` on the lines [first, end) in table order.
void scan_lines(TracePage& page, const ScanRules& rules, unsigned parts, int first, int end,
                TouchTable* touch_grid1, TouchTable* touch_grid2, std::string& buffer,
                bool reports) {
    const StringTable& lines = page.trace_grid;
    const auto rows = static_cast<std::uint64_t>(lines.RowCount());
    for (int r = first; r < end; ++r) {
        if (reports) progress_step(static_cast<std::uint64_t>(r), rows, kProgressText);
        const TextRef ref = lines.CellRef(0, r);
        if (ref.text().empty()) continue;
        LineCuts line(ref);
        if (parts & kGeneral) {
            plot_wait_metrics(line, rules.general_wait, page.trace_detail, buffer);
            plot_fetch_metrics(line, rules.general_fetch, page.trace_detail2, buffer);
        }
        if (parts & kTouch) {
            count_wait_events(line, rules.events_wait, *touch_grid1, buffer);
            count_fetch_metrics(line, rules.events_fetch, *touch_grid1, buffer);
            count_blocks(line, rules.blocks, *touch_grid2, buffer);
        }
        if (parts & kGeneral) extract_plan_line(ref, page.execplan_grid, buffer);
    }
}

// Runs `scan` over the page's two touch tables, then writes their sums
// out, also when it throws: the error is not handled here, the touch sums
// updated before it are written so the tables show them, and the error goes
// on to the window's error report.
template <typename Scan> void with_touch_tables(TracePage& page, Scan&& scan) {
    TouchTable touch_grid1(page.touch_grid1);
    TouchTable touch_grid2(page.touch_grid2);
    try {
        scan(touch_grid1, touch_grid2);
    } catch (...) {
        touch_grid1.flush();
        touch_grid2.flush();
        throw;
    }
    touch_grid1.flush();
    touch_grid2.flush();
}

// The single pass: every analysis, every line.
void scan_all(TracePage& page, const ScanRules& rules) {
    with_touch_tables(page, [&](TouchTable& touch_grid1, TouchTable& touch_grid2) {
        std::string buffer; // reused for every built cell, so lines allocate nothing
        scan_lines(page, rules, kAll, 1, page.trace_grid.RowCount(), &touch_grid1, &touch_grid2,
                   buffer, true);
    });
}

// The touch group of a split scan, on its own thread.
void scan_touch_part(TracePage& page, const ScanRules& rules, SplitState& split) {
    with_touch_tables(page, [&](TouchTable& touch_grid1, TouchTable& touch_grid2) {
        std::string buffer;
        const int rows = page.trace_grid.RowCount();
        for (int first = 1; first < rows;) {
            int ready = split.general_line.load(std::memory_order_acquire);
            while (ready >= 0 && ready <= first && ready < rows &&
                   split.touch_stop.load(std::memory_order_acquire) > first) {
                split.general_line.wait(ready, std::memory_order_acquire);
                ready = split.general_line.load(std::memory_order_acquire);
            }
            const int stop = split.touch_stop.load(std::memory_order_acquire);
            if (ready < 0 || first >= stop) break;
            const int end = std::min({ready, stop, first + kSplitBlock, rows});
            scan_lines(page, rules, kTouch, first, end, &touch_grid1, &touch_grid2, buffer, false);
            first = end;
            split.touch_line.store(first, std::memory_order_release);
        }
    });
}

// The general group of a split scan, on the window's thread. Returns
// normally on a cancel too, with `cancel` holding it, once the touch group
// has been told where to stop.
void scan_general_part(TracePage& page, const ScanRules& rules, SplitState& split,
                       std::exception_ptr& cancel) {
    std::string buffer;
    const int rows = page.trace_grid.RowCount();
    const auto tell = [&](int line) {
        split.general_line.store(line, std::memory_order_release);
        split.general_line.notify_all();
    };
    int first = 1;
    try {
        for (; first < rows; first += kSplitBlock) {
            const int end = std::min(first + kSplitBlock, rows);
            for (int r = first; r < end; ++r) {
                try {
                    progress_step(static_cast<std::uint64_t>(r), static_cast<std::uint64_t>(rows),
                                  kProgressText);
                } catch (...) {
                    // Cancelled before line r: the touch group, which is
                    // not past the lines done here, stops at r too.
                    cancel = std::current_exception();
                    split.touch_stop.store(r, std::memory_order_release);
                    tell(r);
                    return;
                }
                scan_lines(page, rules, kGeneral, r, r + 1, nullptr, nullptr, buffer, false);
            }
            split.general_rows.push_back({page.trace_detail.RowCount(),
                                          page.trace_detail2.RowCount(),
                                          page.execplan_grid.RowCount()});
            tell(end);
        }
    } catch (...) {
        tell(-1);
        throw;
    }
}

// A result table as Clear All leaves it: the titles and one empty row.
bool empty_open(const StringTable& t) {
    if (t.RowCount() != 2) return false;
    for (int c = 0; c < t.ColCount(); ++c)
        if (!t.Cell(c, 1).empty()) return false;
    return true;
}

std::array<StringTable*, 5> result_tables(TracePage& page) {
    return {&page.trace_detail, &page.trace_detail2, &page.touch_grid1, &page.touch_grid2,
            &page.execplan_grid};
}

// Back to the rows it held: the rows after them dropped, the slot emptied.
void cut_back(StringTable& t, int rows) {
    t.SetRowCount(rows);
    t.ClearRow(rows - 1);
}

// Below this many lines a second thread costs more than it saves.
constexpr int kSplitLines = 20000;

bool split_pays(const TracePage& page) {
    if (page.trace_grid.RowCount() < kSplitLines) return false;
    if (std::thread::hardware_concurrency() < 2) return false;
    const char* threads = std::getenv("KAVRO_SCAN_THREADS");
    return !(threads && threads[0] == '1' && threads[1] == 0);
}

// The split scan; false when no second thread could be had, leaving the
// tables untouched.
bool scan_split(TracePage& page, const ScanRules& rules) {
    SplitState split;
    std::exception_ptr touch_error;
    std::thread touch;
    try {
        touch = std::thread([&] {
            try {
                scan_touch_part(page, rules, split);
            } catch (...) {
                touch_error = std::current_exception();
            }
            split.touch_done.store(true, std::memory_order_release);
        });
    } catch (const std::system_error&) {
        return false;
    }
    std::exception_ptr general_error, cancel;
    const int rows = page.trace_grid.RowCount();
    try {
        scan_general_part(page, rules, split, cancel);
        // The window's thread keeps reporting while the touch group ends, so
        // the progress dialog stays alive and can still cancel.
        while (!cancel && !split.touch_done.load(std::memory_order_acquire)) {
            try {
                progress_report_now(
                    static_cast<std::uint64_t>(split.touch_line.load(std::memory_order_acquire)),
                    static_cast<std::uint64_t>(rows), kProgressText);
            } catch (...) {
                // The touch group stops at the end of a block, and the
                // general group's tables go back to what they held there.
                cancel = std::current_exception();
                split.touch_stop.store(split.touch_line.load(std::memory_order_acquire) +
                                           kSplitBlock,
                                       std::memory_order_release);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    } catch (...) {
        general_error = std::current_exception();
    }
    touch.join();
    if (general_error || touch_error) {
        // Where the single pass ends in an error, each table holds what was
        // written before that line, which two groups that ran on their own
        // cannot tell; the single pass itself says it.
        for (StringTable* t : result_tables(page)) t->ResetTable();
        scan_all(page, rules);
        return true;
    }
    if (cancel) {
        // Both groups end before one line, as the single pass does when
        // cancelled there.
        const int stop = split.touch_line.load(std::memory_order_acquire);
        if (split.general_line.load(std::memory_order_acquire) == rows && stop < rows) {
            // stop is 1 + k blocks: the general group goes back to block k.
            const auto k = static_cast<std::size_t>((stop - 1) / kSplitBlock);
            const std::array<int, 3> held =
                k == 0 ? std::array<int, 3>{2, 2, 2} : split.general_rows[k - 1];
            cut_back(page.trace_detail, held[0]);
            cut_back(page.trace_detail2, held[1]);
            cut_back(page.execplan_grid, held[2]);
        }
        std::rethrow_exception(cancel);
    }
    return true;
}

} // namespace

void scan_trace(TracePage& page, const ScanRules& rules, ScanMode mode) {
    bool split = mode == ScanMode::Split || (mode == ScanMode::Auto && split_pays(page));
    if (split)
        for (StringTable* t : result_tables(page)) split = split && empty_open(*t);
    if (split && scan_split(page, rules)) return;
    scan_all(page, rules);
}

} // namespace kavro
