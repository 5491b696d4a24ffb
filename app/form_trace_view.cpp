// SQL trace view handlers: cursor selection, view switching, lists, 3D.
#include "app/form.h"
#include "trace_view/trace_view.h"

namespace kavro {

void TForm1::cursor_comboChange() {
    trace_view::refresh_for_cursor(trace);
}
void TForm1::rb_viewtlClick() {
    trace_view::show_timeline_view(trace);
}
void TForm1::rb_viewtcClick() {
    trace_view::show_touch_view(trace);
}
void TForm1::rb_view_statClick() {
    trace_view::show_plan_view(trace);
}
void TForm1::disp1butClick() {
    trace_view::display_picked_series(trace);
}
void TForm1::hide1butClick() {
    trace_view::hide_picked_series(trace);
}
void TForm1::dispallbutClick() {
    trace_view::display_all_series(trace);
}
void TForm1::hideallbutClick() {
    trace_view::hide_all_series(trace);
}
void TForm1::graph_3dClick() {
    trace_view::apply_timeline_3d(trace);
}
void TForm1::trace_graph_asplockClick() {
    trace_view::apply_timeline_aspect_lock(trace);
}
void TForm1::trace_graph_rotChange() {
    trace_view::apply_timeline_rotation(trace);
}
void TForm1::trace_graph_zoomChange() {
    trace_view::apply_timeline_zoom(trace);
}

} // namespace kavro
