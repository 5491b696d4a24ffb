// OSWatcher ps handlers.
#include "app/form.h"
#include "osw_ps/ps.h"

namespace kavro {

void TForm1::Button85Click() {
    load_ps_file(ps);
}
void TForm1::Button4Click() {
    analyse_ps(ps, rules);
}
void TForm1::Button5Click() {
    clear_ps_page(ps);
}
void TForm1::cpu_filterClick() {
    filter_ps(ps);
}

// Each choice sorts every row below the titles by its own column.
void TForm1::RadioButton1Click() {
    StringTable& t = ps.osw_ps_grid;
    SortRowsByText(t, t.GetColumnView(0), 1, t.RowCount() - 1);
}
void TForm1::RadioButton2Click() {
    StringTable& t = ps.osw_ps_grid;
    SortRowsByNumberAsc(t, t.GetColumnView(1), 1, t.RowCount() - 1);
}
void TForm1::RadioButton3Click() {
    StringTable& t = ps.osw_ps_grid;
    SortRowsByText(t, t.GetColumnView(2), 1, t.RowCount() - 1);
}
void TForm1::RadioButton4Click() {
    StringTable& t = ps.osw_ps_grid;
    SortRowsByNumberDesc(t, t.GetColumnView(3), 1, t.RowCount() - 1);
}

} // namespace kavro
