#include "trace/scan.h"

#include "core/progress.h"
#include "trace/cuts.h"
#include "trace/plan.h"
#include "trace/touch.h"

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

void scan_trace(TracePage& page, const ScanRules& rules) {
    TouchTable touch_grid1(page.touch_grid1);
    TouchTable touch_grid2(page.touch_grid2);
    std::string buffer; // reused for every built cell, so lines allocate nothing
    const StringTable& lines = page.trace_grid;
    const int rows = lines.RowCount();
    try {
        for (int r = 1; r < rows; ++r) {
            progress_step(static_cast<std::uint64_t>(r), static_cast<std::uint64_t>(rows),
                          "Anlayze SQL Trace File");
            const TextRef ref = lines.CellRef(0, r);
            const std::string_view text = ref.text();
            if (text.empty()) continue;
            LineCuts line(ref);
            plot_wait_metrics(line, rules.general_wait, page.trace_detail, buffer);
            plot_fetch_metrics(line, rules.general_fetch, page.trace_detail2, buffer);
            count_wait_events(line, rules.events_wait, touch_grid1, buffer);
            count_fetch_metrics(line, rules.events_fetch, touch_grid1, buffer);
            count_blocks(line, rules.blocks, touch_grid2, buffer);
            extract_plan_line(ref, page.execplan_grid, buffer);
        }
    } catch (...) {
        // Not handled here: the touch sums updated before the error are
        // written out so the tables show them, then the error goes on to the
        // window's error report.
        touch_grid1.flush();
        touch_grid2.flush();
        throw;
    }
    touch_grid1.flush();
    touch_grid2.flush();
}

} // namespace kavro
