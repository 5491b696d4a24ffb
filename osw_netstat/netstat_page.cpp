#include "osw_netstat/netstat_page.h"

namespace kavro {

NetstatPage::NetstatPage() {
    page_osw_nets.tab_names = {"TabSheet12", "TabSheet13", "TabSheet14"};
    page_osw_nets.tab_captions = {"Load", "Analyze", "Raw Data"};
    page_osw_nets.visible = true;

    nets_graph.set_title("");
    nets_graph.set_view3d(true);
}

} // namespace kavro
