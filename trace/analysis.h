#pragma once

// One analysis run of the loaded trace (the "Anlayze SQL Trace File" button).

#include "config/rules_page.h"
#include "trace/trace_page.h"

namespace kavro {

// Empties what an earlier run produced (trace_grid, the rules and the view
// controls stay), scans trace_grid with the rules as they stand and
// publishes the results. Running it twice on the same lines gives what one
// run gives.
void analyse_trace(TracePage& page, const TraceRulesPage& rules);

} // namespace kavro
