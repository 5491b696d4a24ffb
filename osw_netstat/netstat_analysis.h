#pragma once

// The netstat page's work: loading an OSWatcher netstat archive, extracting
// the counters the rules name into nets_raw, and the metric view (nets_anal
// and the bars of nets_graph) for one metric key.

#include "chart/chart.h"
#include "core/items.h"
#include "core/string_table.h"
#include "osw_netstat/netstat_page.h"

#include <string>
#include <string_view>

namespace kavro {

// Appends every line of the file to `grid`, one row per line. The table is
// not emptied first; lines read before a read error stay.
void netstat_load(const std::string& path, StringTable& grid);

// Clear All: selector entries and text, the raw and both analysis tables,
// every series of the chart.
void netstat_clear_all(NetstatPage& page);
// Clear Analysis: both analysis tables and the chart; the raw lines and the
// selector's entries stay.
void netstat_clear_analysis(NetstatPage& page);

// Walks the raw lines once and writes one record (Time, Metric, Total) into
// `nets_raw` per counter row whose wording after its leading number begins
// with a rule text. `snap_indicator` marks the snapshot lines. Ends with the
// table trimmed.
void netstat_extract(const StringTable& lines, std::string_view snap_indicator,
                     const StringTable& metric_rules, StringTable& nets_raw);

// Adds every distinct Metric of `nets_raw` that the selector does not hold
// yet, in order of first occurrence (AddUniqueItem's outcome, found through a
// hash instead of a walk over the items for every row).
void netstat_collect_metrics(const StringTable& nets_raw, Selector& net_combo);

enum class MetricView { Fresh, Accumulating };

// The metric view for the metric key `metric`: the records of that key copied
// from `nets_raw` into `nets_anal` with the growth since the row above as
// Delta, and one bar series per key drawing the Deltas over the snapshot
// labels. The fresh form empties table and chart first; the accumulating
// form adds to them. A Total that is not a number ends it with the
// conversion's error, keeping the rows and Deltas written so far and
// leaving the chart as it was before the bars.
void netstat_metric_view(const StringTable& nets_raw, std::string_view metric, MetricView form,
                         StringTable& nets_anal, Chart& nets_graph);

// The analysis as the "Anlayze OSW File" button runs it: from a clean result,
// extraction, metric entries, the first entry selected (without its change
// action), its view accumulated and the "Analyze" tab brought forward.
void netstat_analyse(NetstatPage& page, std::string_view snap_indicator,
                     const StringTable& metric_rules);

} // namespace kavro
