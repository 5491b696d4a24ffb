#pragma once

// Publishing an analysis run: the result tables are trimmed and turned into
// the timeline, the display list, the four pies, the cursor list, the plan
// chart and exec_anal; then the "Analyze" tab comes to the front.

#include "trace/trace_page.h"

#include <string>

namespace kavro {

// The timeline series a trace_detail row feeds: Event "(" Metric Type ")".
void wait_series_title(const StringTable& trace_detail, int row, std::string& title);

// Row r of a trimmed result table is a data row for 1 <= r < the result; a
// table that never received a row keeps its blank row 1, which is no data.
int data_rows_end(const StringTable& table);

// A conversion error (a Time, Metric Value or Time(us) that is not a number)
// ends publishing where it occurs; what was published before stays and the
// "Analyze" tab is not brought to the front.
void publish_trace(TracePage& page);

} // namespace kavro
