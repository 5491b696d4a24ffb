#pragma once

// The OSWatcher netstat page (page_osw_nets): raw lines, extracted
// counters, the metric view and its chart.

#include "chart/chart.h"
#include "core/controls.h"
#include "core/items.h"
#include "core/string_table.h"

namespace kavro {

// The columns of nets_raw ("Time", "Metric", "Total") and of nets_anal, which
// adds "Delta"; Columns is their number.
namespace nets_raw_col {
enum : int { Time, Metric, Total, Columns };
}
namespace nets_anal_col {
enum : int { Time, Metric, Total, Delta, Columns };
}

struct NetstatPage {
    NetstatPage();
    NetstatPage(const NetstatPage&) = delete;
    NetstatPage& operator=(const NetstatPage&) = delete;

    PageControl page_osw_nets;

    // "Load" (TabSheet12)
    Edit netstat_filename{"tracefile.trc"};
    StringTable nets_trace_grid{1};

    // "Analyze" (TabSheet13)
    Selector net_combo{true};
    Chart nets_graph;
    StringTable nets_anal{nets_anal_col::Columns};

    // "Raw Data" (TabSheet14)
    StringTable nets_raw{nets_raw_col::Columns};
};

} // namespace kavro
