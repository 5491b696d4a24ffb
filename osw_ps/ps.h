#pragma once

// The actions of the OSWatcher ps page: load, clear, analyse, filter and the
// row sorts of the "Raw Data" tab. Each takes the page (and the rules it
// reads) and changes nothing else, so the form's handlers, kavro-cli and the
// benchmarks share them.

#include "chart/chart.h"
#include "config/rules_page.h"
#include "core/string_table.h"
#include "osw_ps/ps_page.h"

#include <string_view>

namespace kavro {

// The blue of the snapshot bars.
constexpr Colour kSnapshotBarColour = rgb(0x0000FF);

// "Clear All": empties both tables, selects "Time", puts the filter criteria
// back to their defaults and empties the four charts.
void clear_ps(PsPage& page);

// "Anlayze OSW File": cuts the raw lines into process rows, draws one line
// per process ID, applies the filter and shows the "Analyze" tab.
void analyse_ps(PsPage& page, const TraceRulesPage& rules);

// "Filter": the process lines' active flags, the Gantt chart and the two
// snapshot bar charts from the criteria now entered.
void filter_ps(PsPage& page);

// A CPU percentage or threshold as a number. Whole numbers read as they
// always have (hexadecimal included); anything else must be a real number,
// as Linux ps prints them (0.5, 12.3), or the action ends with "'%s' is not
// a valid floating point value".
double cpu_value(std::string_view text);
// The same reading, answering false where cpu_value throws.
bool try_cpu_value(std::string_view text, double& value);

// Sort keys: a text that is empty or does not convert sorts as 0; an empty
// text sorts as "0.00" among texts. Both ignore surrounding blanks and
// control characters.
double NumberKey(std::string_view text);
std::string_view TextKey(std::string_view text);

// The four choices of the " Sort Order " group: every row of osw_ps_grid
// below its titles, by time and owner as texts, by process ID ascending and
// by CPU descending as numbers.
void sort_ps_by_time(PsPage& page);
void sort_ps_by_process_id(PsPage& page);
void sort_ps_by_owner(PsPage& page);
void sort_ps_by_cpu(PsPage& page);

// In-place quicksorts of rows L to R of `table` by the keys of `column`,
// whole rows swapped. Ranges of fewer than two rows are left alone.
void SortRowsByText(StringTable& table, ColumnView column, int L, int R);
void SortRowsByNumberAsc(StringTable& table, ColumnView column, int L, int R);
void SortRowsByNumberDesc(StringTable& table, ColumnView column, int L, int R);

} // namespace kavro
