#include "osw_ps/ps_page.h"

namespace kavro {

PsPage::PsPage() {
    OSWPage.tab_names = {"TabSheet6", "oswtab1", "TabSheet8"};
    OSWPage.tab_captions = {"Load", "Analyze", "Raw Data"};
    OSWPage.visible = true;

    osw_gantt.set_title("Process Execution Timeline");
    Series& gantt = osw_gantt.add_series(SeriesKind::Gantt, PointOrder::ByX);
    gantt.set_title("osw_gantt_series");
    gantt.set_marks_visible(false);

    osw_proc_count_chart.set_title("Process Count");
    osw_proc_count_chart.set_view3d(true);
    osw_proc_count_chart.add_series(SeriesKind::Bar, PointOrder::ByX).set_marks_visible(false);

    osw_cpuutil_chart.set_title("Processor CPU Utilisation");
    osw_cpuutil_chart.set_view3d(true);
    osw_cpuutil_chart.add_series(SeriesKind::Bar, PointOrder::ByX).set_marks_visible(false);

    osw_process_chart.set_title("Process Load");
}

} // namespace kavro
