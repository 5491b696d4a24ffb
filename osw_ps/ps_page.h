#pragma once

// The OSWatcher ps page (OSWPage): raw lines, process rows, the four charts,
// the filter criteria and the sort choices.

#include "chart/chart.h"
#include "core/controls.h"
#include "core/string_table.h"
#include "osw_ps/ps_spans.h"

namespace kavro {

// The columns of osw_ps_grid: "Time", "Process ID", "Owner", "CPU%";
// Columns is their number.
namespace osw_ps_grid_col {
enum : int { Time, ProcessId, Owner, Cpu, Columns };
}

struct PsPage {
    PsPage();
    PsPage(const PsPage&) = delete;
    PsPage& operator=(const PsPage&) = delete;

    PageControl OSWPage;

    // "Load" (TabSheet6)
    Edit osw_filename{"tracefile.trc"};
    StringTable osw_grid{1};

    // "Analyze" (oswtab1)
    Chart osw_gantt;            // Series23, "osw_gantt_series"
    Chart osw_proc_count_chart; // BarSeries2
    Chart osw_cpuutil_chart;    // Series25
    Chart osw_process_chart;    // one line series per process ID
    PsProcesses processes;      // the analysis's spans of those lines, for the filter
    Edit cpu_thr_value{"5"};
    Edit pid_filter;
    Edit owner_filter;

    // "Raw Data" (TabSheet8)
    StringTable osw_ps_grid{osw_ps_grid_col::Columns};
    RadioGroup sort_group;
    RadioButton RadioButton1{sort_group, true}; // Time
    RadioButton RadioButton2{sort_group};       // Process ID
    RadioButton RadioButton3{sort_group};       // Owner
    RadioButton RadioButton4{sort_group};       // CPU Utilisation
};

} // namespace kavro
