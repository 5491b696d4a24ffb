#include "osw_ps/ps.h"

#include <string>

namespace kavro {

void clear_ps(PsPage& page) {
    page.osw_grid.ResetTable();
    page.osw_ps_grid.ResetTable();
    // Runs the "Time" sort when another choice was selected; on the emptied
    // table it has nothing to move.
    page.RadioButton1.select();
    // Move-assigned: copying a literal in place trips a false -Wrestrict in
    // GCC 12 at -O2.
    page.cpu_thr_value.text = std::string("5");
    page.pid_filter.text.clear();
    page.owner_filter.text.clear();
    page.osw_gantt.series(0).clear();
    page.osw_proc_count_chart.series(0).clear();
    page.osw_cpuutil_chart.series(0).clear();
    page.osw_process_chart.remove_all_series();
    page.processes.clear();
}

} // namespace kavro
