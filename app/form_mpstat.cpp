// OSWatcher mpstat handlers.
#include "app/form.h"
#include "osw_mpstat/mpstat_actions.h"
#include "osw_mpstat/mpstat_analysis.h"

namespace kavro {

void TForm1::Button8Click() {
    load_osw_field(mpstat.mpstat_filename.text,
                   {OswKind::mpstat, &mpstat.mpstat_grid, &mpstat_info, {}});
}
void TForm1::Button9Click() {
    analyse_mpstat(mpstat);
}
void TForm1::Button10Click() {
    clear_mpstat(mpstat);
    mpstat_info = {};
}
void TForm1::asplockClick() {
    apply_aspect_lock(mpstat);
}
void TForm1::chartrotChange() {
    apply_rotation(mpstat);
}
void TForm1::chartzoomChange() {
    apply_zoom(mpstat);
}
void TForm1::chart_horizChange() {
    apply_horiz_offset(mpstat);
}
void TForm1::chart_vertChange() {
    apply_vert_offset(mpstat);
}
void TForm1::cpu_numChange() {
    show_selected_cpu(mpstat);
}
void TForm1::cpu_labelsClick() {
    apply_cpu_labels(mpstat);
}
void TForm1::cpu_servisClick() {
    apply_cpu_visible(mpstat);
}

} // namespace kavro
