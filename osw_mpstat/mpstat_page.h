#pragma once

// The OSWatcher mpstat page (mpstat_page): raw lines, the per-CPU chart and
// its 3D and per-series controls.

#include "chart/chart.h"
#include "core/controls.h"
#include "core/items.h"
#include "core/string_table.h"

namespace kavro {

struct MpstatPage {
    MpstatPage();
    MpstatPage(const MpstatPage&) = delete;
    MpstatPage& operator=(const MpstatPage&) = delete;

    PageControl mpstat_page;

    // "Load" (TabSheet10)
    Edit mpstat_filename{"tracefile.trc"};
    StringTable mpstat_grid{1};

    // "Analyze" (TabSheet11)
    Chart cpu_util_chart;
    CheckBox asplock{true};
    TrackBar chartrot{270, 360, 360};
    TrackBar chartzoom{1, 500, 100};
    TrackBar chart_horiz{-1500, 1500, 0};
    TrackBar chart_vert{-1500, 1500, 0};
    Selector cpu_num{false};
    CheckBox cpu_labels{false};
    CheckBox cpu_servis{true};
};

} // namespace kavro
