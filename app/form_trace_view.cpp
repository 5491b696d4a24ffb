// SQL trace view handlers: cursor selection, view switching, lists, 3D.
#include "app/form.h"

namespace kavro {

void TForm1::cursor_comboChange() {}
void TForm1::rb_viewtlClick() {}
void TForm1::rb_viewtcClick() {}
void TForm1::rb_view_statClick() {}
void TForm1::disp1butClick() {}
void TForm1::hide1butClick() {}
void TForm1::dispallbutClick() {}
void TForm1::hideallbutClick() {}
void TForm1::graph_3dClick() {}
void TForm1::trace_graph_asplockClick() {}
void TForm1::trace_graph_rotChange() {}
void TForm1::trace_graph_zoomChange() {}

} // namespace kavro
