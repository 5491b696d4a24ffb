#pragma once

// The netstat page's work: loading an OSWatcher netstat archive, extracting
// the counters the rules name into nets_raw, and the metric view (nets_anal
// and the bars of nets_graph) for one metric key.

#include "chart/chart.h"
#include "config/rules_page.h"
#include "core/items.h"
#include "core/string_table.h"
#include "osw_netstat/netstat_page.h"

#include <string>
#include <string_view>

namespace kavro {

// "Clear All": selector entries and text, the raw and both analysis tables,
// every series of the chart.
void clear_netstat(NetstatPage& page);
// "Clear Analysis": both analysis tables and the chart; the raw lines and the
// selector's entries stay.
void clear_netstat_analysis(NetstatPage& page);

enum class MetricView { Fresh, Accumulating };

// The metric view for the metric key `metric`: the records of that key copied
// from `nets_raw` into `nets_anal` with the growth since the row above as
// Delta, and one bar series per key drawing the Deltas over the snapshot
// labels. The fresh form empties table and chart first; the accumulating
// form adds to them. A Total that is not a number ends it with the
// conversion's error, keeping the rows and Deltas written so far and
// leaving the chart as it was before the bars.
void build_metric_view(const StringTable& nets_raw, std::string_view metric, MetricView form,
                       StringTable& nets_anal, Chart& nets_graph);

// net_comboChange: the fresh metric view for the selector's text.
void show_netstat_metric(NetstatPage& page);

// "Anlayze OSW File": from a clean result, the counters that the rules
// (nets_start, tracerules_grid6) name extracted into nets_raw, the metric
// entries added, the first entry selected (without its change action), its
// view accumulated and the "Analyze" tab brought forward.
void analyse_netstat(NetstatPage& page, const TraceRulesPage& rules);

} // namespace kavro
