// OSWatcher netstat handlers.
#include "app/form.h"

#include "osw_netstat/netstat_analysis.h"

namespace kavro {

void TForm1::Button12Click() {
    load_osw_field(netstat.netstat_filename.text,
                   {OswKind::netstat, &netstat.nets_trace_grid, &netstat_info, {}});
}

void TForm1::Button13Click() {
    analyse_netstat(netstat, rules);
}

void TForm1::Button14Click() {
    clear_netstat(netstat);
    netstat_info = {};
}

void TForm1::Button15Click() {
    clear_netstat_analysis(netstat);
}

void TForm1::net_comboChange() {
    show_netstat_metric(netstat);
}

} // namespace kavro
