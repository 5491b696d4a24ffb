#pragma once

// Cursor selection and the three views of the trace page's "Analyze" tab:
// the timeline with its display and hide lists, the touch-count pies and the
// execution plan. Everything here only re-filters what the analysis left in
// the result tables and on the charts; the tables are never written.
//
// Each function is the whole of one event handler of the window (the
// handler named beside it), so the handlers in app/ stay one line and
// kavro-cli and the benchmarks run the same code.

#include "trace/trace_page.h"

#include <string_view>

namespace kavro::trace_view {

// The cursor match. "All" (whole text, with case) selects every text;
// any other selection selects the texts that contain it byte for byte;
// an empty selection selects nothing.
bool selects_all(std::string_view selection);
bool cursor_match(std::string_view selection, std::string_view text);

// cursor_comboChange: the refresh on a change of cursor_combo's text, in its
// fixed order:
// show_selected_series, refill_touch_pies, refill_plan, sort_lists. An error
// (a cell that does not convert) ends it where it is; what was done stays.
void refresh_for_cursor(TracePage& page);

// The steps of that refresh, each reading the selection text afresh.
void show_selected_series(TracePage& page); // timeline series visibility
void refill_touch_pies(TracePage& page);    // touch_grid1, then touch_grid2
void refill_plan(TracePage& page);          // plan bars, exec_anal, title
void sort_lists(TracePage& page);           // dispbox and hidebox

// The view choices: each shows its box and hides the other two, refreshing
// nothing.
void show_timeline_view(TracePage& page); // rb_viewtlClick
void show_touch_view(TracePage& page);    // rb_viewtcClick
void show_plan_view(TracePage& page);     // rb_view_statClick

// The list buttons: the picked item, or every item, moves to the other list
// and its timeline series is drawn or hidden.
void display_picked_series(TracePage& page); // disp1butClick, "<"
void hide_picked_series(TracePage& page);    // hide1butClick, ">"
void display_all_series(TracePage& page);    // dispallbutClick, "<<"
void hide_all_series(TracePage& page);       // hideallbutClick, ">>"

// The timeline's 3D controls.
void apply_timeline_3d(TracePage& page);          // graph_3dClick
void apply_timeline_aspect_lock(TracePage& page); // trace_graph_asplockClick
void apply_timeline_rotation(TracePage& page);    // trace_graph_rotChange
void apply_timeline_zoom(TracePage& page);        // trace_graph_zoomChange

} // namespace kavro::trace_view
