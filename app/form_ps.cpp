// OSWatcher ps handlers.
#include "app/form.h"
#include "osw_ps/ps.h"

namespace kavro {

void TForm1::Button85Click() {
    load_osw_field(ps.osw_filename.text, {OswKind::ps, &ps.osw_grid, &ps_info, {}});
}
void TForm1::Button4Click() {
    analyse_ps(ps, rules);
}
void TForm1::Button5Click() {
    clear_ps(ps);
    ps_info = {};
}
void TForm1::cpu_filterClick() {
    filter_ps(ps);
}

void TForm1::RadioButton1Click() {
    sort_ps_by_time(ps);
}
void TForm1::RadioButton2Click() {
    sort_ps_by_process_id(ps);
}
void TForm1::RadioButton3Click() {
    sort_ps_by_owner(ps);
}
void TForm1::RadioButton4Click() {
    sort_ps_by_cpu(ps);
}

} // namespace kavro
