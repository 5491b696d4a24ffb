#pragma once

// Execution-plan extraction: each STAT line becomes one row of
// execplan_grid (cursor, count, object, indented operation and the
// row-source statistics).

#include "core/string_table.h"

#include <string>
#include <string_view>

namespace kavro {

// The widest indent an operation gets: a pos above this counts as this, so a
// corrupt pos cannot ask for billions of blanks.
constexpr int kMaxPlanDepth = 1000;

// Does nothing for a line that does not begin with "STAT". A pos that is not
// an integer throws "'%s' is not a valid integer value", leaving the cells
// cut before it in the append slot.
void extract_plan_line(std::string_view line, StringTable& execplan_grid, std::string& buffer);
// The same for a line read from its table cell: the cells that are plain
// cuts of the line point to its bytes.
void extract_plan_line(const TextRef& line, StringTable& execplan_grid, std::string& buffer);

} // namespace kavro
