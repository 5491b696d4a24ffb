#include "trace/scan.h"

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
void plot_wait_metrics(std::string_view line, const LineRules& rules, StringTable& trace_detail,
                       std::string& event) {
    if (!passes_indicator(line, rules.indicator) || !passes_identifier(line, rules.identifier))
        return;
    std::string_view time;
    bool named = false;
    for (const std::string& metric : rules.metrics) {
        const int p = rule_position(metric, line);
        if (p == 0) continue;
        if (!named) {
            event.assign(cursor_reference(line));
            event.append(event_name(line, rules.identifier, rules.container));
            time = line_time(line);
            named = true;
        }
        trace_detail.AppendRow({event, rule_value(line, p, metric, " "), metric, time});
    }
}

// General statistics of fetch lines: one trace_detail2 row per matching
// metric, named "#3:FETCH(cr=)".
void plot_fetch_metrics(std::string_view line, const LineRules& rules, StringTable& trace_detail2,
                        std::string& event) {
    if (!passes_indicator(line, rules.indicator)) return;
    std::string_view ref, time;
    bool referenced = false;
    for (const std::string& metric : rules.metrics) {
        const int p = rule_position(metric, line);
        if (p == 0) continue;
        if (!referenced) {
            ref = cursor_reference(line);
            time = line_time(line);
            referenced = true;
        }
        event.assign(ref);
        event.append(rules.indicator);
        event.push_back('(');
        event.append(metric);
        event.push_back(')');
        trace_detail2.AppendRow({event, rule_value(line, p, metric, ","), time});
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
            const std::string_view line = lines.Cell(0, r);
            if (line.empty()) continue;
            plot_wait_metrics(line, rules.general_wait, page.trace_detail, buffer);
            plot_fetch_metrics(line, rules.general_fetch, page.trace_detail2, buffer);
            count_wait_events(line, rules.events_wait, touch_grid1, buffer);
            count_fetch_metrics(line, rules.events_fetch, touch_grid1, buffer);
            count_blocks(line, rules.blocks, touch_grid2, buffer);
            extract_plan_line(line, page.execplan_grid, buffer);
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
