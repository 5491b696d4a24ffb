#pragma once

#include "core/controls.h"
#include "core/string_table.h"

#include <string>

namespace kavro {

// The Trace Rules page: marker texts the analyses look for (edits with the
// form's defaults) and the rule tables filled from tracerules.ini.
struct TraceRulesPage {
    // General Trace Statistics
    Edit gts_waitind{"WAIT"};
    Edit gts_metric{"nam="};
    Edit gts_cont{"'"};
    Edit gts_fetchind{"FETCH"};
    // Wait Event Analysis (Count and Time)
    Edit wet_waitind{"WAIT"};
    Edit wet_metric{"nam="};
    Edit wet_cont{"'"};
    Edit wet_fetchind{"FETCH"};
    // Block Analysis(Count and Time)
    Edit ba_waitind{"WAIT"};
    Edit ba_metric{"nam="};
    Edit ba_cont{"'"};
    // OSW (netstat)
    Edit nets_start{"zzz"};
    // OSW (ps)
    Edit ps_start{"zzz"};
    Edit psuser_posb{"1"}, psuser_pose{"1"};
    Edit psproc_posb{"1"}, psproc_pose{"1"};
    Edit pscpu_posb{"1"}, pscpu_pose{"1"};

    StringTable tracerules_grid1{1}; // wait metrics plotted, "Plot By"
    StringTable tracerules_grid2{1}; // wait metrics summed, "Sum By"
    StringTable tracerules_grid3{1}; // block metrics, "Sum By"
    StringTable tracerules_grid4{1}; // fetch metrics plotted, "Plot By"
    StringTable tracerules_grid5{1}; // fetch metrics summed, "Sum By"
    StringTable tracerules_grid6{1}; // netstat metrics, "Plot By"
    StringTable tracerules_grid7{1}; // ps heading lines, "Exclude these lines"
};

// Reads the rules file into the rule tables and the six ps position fields;
// throws kavro::Error on any failure, keeping what was read before it.
void read_trace_rules(const std::string& path, TraceRulesPage& rules);

} // namespace kavro
