#pragma once

// The trace scan: every row of trace_grid, in table order, goes through the
// six line analyses (general statistics of wait and fetch lines, wait-event
// analysis of wait and fetch lines, block analysis, plan extraction).

#include "config/rules_page.h"
#include "trace/trace_page.h"

#include <string>
#include <vector>

namespace kavro {

// The rules of one line analysis as they stood when the run began. The run
// holds the window until it ends, so nothing can edit them meanwhile.
struct LineRules {
    std::string indicator;
    std::string identifier; // wait-line analyses only
    std::string container;  // wait-line analyses only
    // The rule texts of the analysis's rules table, in table order; blank
    // rows are left out since they never match.
    std::vector<std::string> metrics;
};

struct ScanRules {
    LineRules general_wait;  // gts_*, tracerules_grid1
    LineRules general_fetch; // gts_fetchind, tracerules_grid4
    LineRules events_wait;   // wet_*, tracerules_grid2
    LineRules events_fetch;  // wet_fetchind, tracerules_grid5
    LineRules blocks;        // ba_*, tracerules_grid3
};

ScanRules read_scan_rules(const TraceRulesPage& rules);

// How the scan is run. The line analyses fall in two groups that write
// tables of their own: the general statistics and the plan (trace_detail,
// trace_detail2, execplan_grid) and the touch counts (touch_grid1,
// touch_grid2). Split runs the groups at once on two threads, each over
// every line in order, and leaves every table as the single pass does; when
// either group meets an error, the tables are emptied and the single pass
// runs again to end where it ends. Auto splits a large trace on a machine of
// two cores or more, when the tables start empty (KAVRO_SCAN_THREADS=1 in
// the environment keeps it to the single pass, for measuring).
enum class ScanMode { Auto, SinglePass, Split };

// Appends to trace_detail, trace_detail2, touch_grid1, touch_grid2 and
// execplan_grid, which it expects open (as Clear All leaves them). A
// conversion error ends the scan at its line; every row and sum written
// before it stays in the tables.
void scan_trace(TracePage& page, const ScanRules& rules, ScanMode mode = ScanMode::Auto);

} // namespace kavro
