// The touch-count pies and the execution-plan view, refilled for the cursor
// selection from the tables the analysis left.
#include "core/convert.h"
#include "core/text.h"
#include "trace/publish.h"
#include "trace_view/trace_view.h"

#include <algorithm>
#include <string>

namespace kavro::trace_view {

namespace {

// One touch table into its time pie and count pie.
void fill_pies(const StringTable& table, const std::string& selection, Series& times,
               Series& counts) {
    // A table that never received a row keeps its blank row 1; that row is
    // no wait event, so with "All" it adds no slice instead of failing to
    // convert its empty time, as publishing treats it.
    for (int row = 1, end = data_rows_end(table); row < end; ++row) {
        const std::string_view event = table.Cell(touch_grid_col::Event, row);
        if (!cursor_match(selection, event)) continue;
        // Converted one after the other, so a bad count still leaves the
        // row's time slice in place.
        times.add_value(StrToFloat(table.Cell(touch_grid_col::Time, row)), event);
        counts.add_value(StrToFloat(table.Cell(touch_grid_col::Count, row)), event);
    }
}

} // namespace

void refill_touch_pies(TracePage& page) {
    for (Chart* pie :
         {&page.touch_graph1, &page.touch_graph2, &page.touch_graph3, &page.touch_graph4})
        pie->series(0).clear();
    const std::string& selection = page.cursor_combo.text();
    fill_pies(page.touch_grid1, selection, page.touch_graph1.series(0),
              page.touch_graph2.series(0));
    fill_pies(page.touch_grid2, selection, page.touch_graph3.series(0),
              page.touch_graph4.series(0));
}

void refill_plan(TracePage& page) {
    constexpr int kCursor = 0, kOperation = 3, kTime = 7;
    const StringTable& plan = page.execplan_grid;
    Series& bars = page.execplan_graph.series(0);
    bars.clear();
    page.exec_anal.ResetTable();

    const std::string& selection = page.cursor_combo.text();
    // Untimed rows widen the labels too: the operations of one refresh line
    // up in the fixed-pitch label font whatever rows get a bar.
    int width = 0;
    for (int row = 1; row < plan.RowCount(); ++row)
        if (cursor_match(selection, plan.Cell(kCursor, row)))
            width = std::max(width, Length(plan.Cell(kOperation, row)));

    std::string label;
    for (int row = 1; row < plan.RowCount(); ++row) {
        if (!cursor_match(selection, plan.Cell(kCursor, row))) continue;
        if (plan.Cell(kTime, row).empty()) continue;
        label.assign(plan.Cell(kOperation, row));
        label.resize(static_cast<std::size_t>(width) + 1, ' ');
        bars.add_value(StrToFloat(plan.Cell(kTime, row)), label);
        AppendCopyOfRow(plan, row, page.exec_anal);
    }

    if (selects_all(selection))
        page.execplan_graph.set_title("Execution Plan(All)");
    else
        page.execplan_graph.set_title("Execution Plan(" + selection + ")");
}

} // namespace kavro::trace_view
