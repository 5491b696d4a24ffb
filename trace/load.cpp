#include "trace/load.h"

#include "core/line_reader.h"

namespace kavro {

void load_trace(TracePage& page) {
    page.trace_grid.ResetTable();
    LineReader reader(page.SQLIdList.text);
    reader.append_to(page.trace_grid, page.SQLIdList.text);
}

namespace {

void reset_cursor_list(Selector& cursor_combo) {
    cursor_combo.clear();
    cursor_combo.add("All");
}

// Everything but the cursor list and trace_grid, in Clear All's order.
void clear_outputs(TracePage& page) {
    page.trace_detail.ResetTable();
    page.touch_grid1.ResetTable();
    page.touch_grid2.ResetTable();
    page.trace_detail2.ResetTable();
    page.execplan_grid.ResetTable();
    page.exec_anal.ResetTable();
    page.execplan_graph.series(0).clear();
    // The selector goes back to "All", so the plan chart's title does too:
    // a title naming the cursor picked before would stand over the bars of
    // every cursor.
    page.execplan_graph.set_title("Execution Plan(All)");
    page.trace_graph.remove_all_series();
    for (Chart* pie :
         {&page.touch_graph1, &page.touch_graph2, &page.touch_graph3, &page.touch_graph4})
        pie->series(0).clear();
    page.dispbox.clear();
    page.hidebox.clear();
}

} // namespace

void clear_trace(TracePage& page) {
    reset_cursor_list(page.cursor_combo);
    page.trace_grid.ResetTable();
    clear_outputs(page);
}

void clear_trace_results(TracePage& page) {
    reset_cursor_list(page.cursor_combo);
    clear_outputs(page);
}

} // namespace kavro
