// SQL trace view handlers: cursor selection, view switching, lists, 3D.
#include "app/form.h"
#include "trace_view/trace_view.h"

namespace kavro {

void TForm1::cursor_comboChange() {
    trace_view::cursor_comboChange(trace);
}
void TForm1::rb_viewtlClick() {
    trace_view::rb_viewtlClick(trace);
}
void TForm1::rb_viewtcClick() {
    trace_view::rb_viewtcClick(trace);
}
void TForm1::rb_view_statClick() {
    trace_view::rb_view_statClick(trace);
}
void TForm1::disp1butClick() {
    trace_view::disp1butClick(trace);
}
void TForm1::hide1butClick() {
    trace_view::hide1butClick(trace);
}
void TForm1::dispallbutClick() {
    trace_view::dispallbutClick(trace);
}
void TForm1::hideallbutClick() {
    trace_view::hideallbutClick(trace);
}
void TForm1::graph_3dClick() {
    trace_view::graph_3dClick(trace);
}
void TForm1::trace_graph_asplockClick() {
    trace_view::trace_graph_asplockClick(trace);
}
void TForm1::trace_graph_rotChange() {
    trace_view::trace_graph_rotChange(trace);
}
void TForm1::trace_graph_zoomChange() {
    trace_view::trace_graph_zoomChange(trace);
}

} // namespace kavro
