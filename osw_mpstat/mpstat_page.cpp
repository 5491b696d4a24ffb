#include "osw_mpstat/mpstat_page.h"

namespace kavro {

MpstatPage::MpstatPage() {
    mpstat_page.tab_names = {"TabSheet10", "TabSheet11"};
    mpstat_page.tab_captions = {"Load", "Analyze"};
    mpstat_page.visible = true;

    cpu_util_chart.set_title("CPU Utilisation");
    cpu_util_chart.set_view3d(true);
    cpu_util_chart.set_orthogonal(true);
    cpu_util_chart.set_rotation(360);
    cpu_util_chart.set_zoom(100);
}

} // namespace kavro
