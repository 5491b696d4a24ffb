// OSWatcher netstat handlers.
#include "app/form.h"

#include "osw_netstat/netstat_analysis.h"

namespace kavro {

void TForm1::Button12Click() {
    netstat_load(netstat.netstat_filename.text, netstat.nets_trace_grid);
}

void TForm1::Button13Click() {
    netstat_analyse(netstat, rules.nets_start.text, rules.tracerules_grid6);
}

void TForm1::Button14Click() {
    netstat_clear_all(netstat);
}

void TForm1::Button15Click() {
    netstat_clear_analysis(netstat);
}

void TForm1::net_comboChange() {
    netstat_metric_view(netstat.nets_raw, netstat.net_combo.text(), MetricView::Fresh,
                        netstat.nets_anal, netstat.nets_graph);
}

} // namespace kavro
