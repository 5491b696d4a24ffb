#pragma once

// Loading a trace file into trace_grid, and emptying the trace page.

#include "trace/trace_page.h"

namespace kavro {

// Resets trace_grid, then appends every line of the file named in
// SQLIdList, one row each, nothing filtered or converted. A file that cannot
// be opened throws ("File not found") with trace_grid reset; an error while
// reading leaves the lines read so far.
void load_trace(TracePage& page);

// Clear All: cursor_combo back to "All" alone, every trace table reset, the
// timeline without series, the pies and the plan chart without points, both
// lists empty. The view controls, the rules and SQLIdList keep their state.
void clear_trace(TracePage& page);

// What an analysis run produced, as Clear All empties it, keeping trace_grid:
// a new run starts from a clean result.
void clear_trace_results(TracePage& page);

} // namespace kavro
