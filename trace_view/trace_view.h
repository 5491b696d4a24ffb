#pragma once

// Cursor selection and the three views of the trace page's "Analyze" tab:
// the timeline with its display and hide lists, the touch-count pies and the
// execution plan. Everything here only re-filters what the analysis left in
// the result tables and on the charts; the tables are never written.
//
// Each function is the whole of one event handler of the window, so the
// handlers in app/ stay one line and kavro-cli and the benchmarks run the
// same code.

#include "trace/trace_page.h"

#include <string_view>

namespace kavro::trace_view {

// The cursor match. "All" (whole text, with case) selects every text;
// any other selection selects the texts that contain it byte for byte;
// an empty selection selects nothing.
bool selects_all(std::string_view selection);
bool cursor_match(std::string_view selection, std::string_view text);

// The refresh on a change of cursor_combo's text, in its fixed order:
// show_selected_series, refill_touch_pies, refill_plan, sort_lists. An error
// (a cell that does not convert) ends it where it is; what was done stays.
void cursor_comboChange(TracePage& page);

// The steps of that refresh, each reading the selection text afresh.
void show_selected_series(TracePage& page); // timeline series visibility
void refill_touch_pies(TracePage& page);    // touch_grid1, then touch_grid2
void refill_plan(TracePage& page);          // plan bars, exec_anal, title
void sort_lists(TracePage& page);           // dispbox and hidebox

// View buttons: they switch which box is shown and refresh nothing.
void rb_viewtlClick(TracePage& page);
void rb_viewtcClick(TracePage& page);
void rb_view_statClick(TracePage& page);

// List buttons "<", ">", "<<", ">>".
void disp1butClick(TracePage& page);
void hide1butClick(TracePage& page);
void dispallbutClick(TracePage& page);
void hideallbutClick(TracePage& page);

// The timeline's 3D controls.
void graph_3dClick(TracePage& page);
void trace_graph_asplockClick(TracePage& page);
void trace_graph_rotChange(TracePage& page);
void trace_graph_zoomChange(TracePage& page);

} // namespace kavro::trace_view
