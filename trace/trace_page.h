#pragma once

// Everything the SQL trace page (Page_SQL_Hist) holds: the raw lines, the
// five result tables, the plan table, the charts, lists and view controls.

#include "chart/chart.h"
#include "core/controls.h"
#include "core/items.h"
#include "core/string_table.h"

namespace kavro {

struct TracePage {
    TracePage();
    TracePage(const TracePage&) = delete;
    TracePage& operator=(const TracePage&) = delete;

    PageControl Page_SQL_Hist;

    // "Load"
    Edit SQLIdList{"tracefile.trc"};
    StringTable trace_grid{1};

    // "Raw Data"
    StringTable trace_detail{4};
    StringTable trace_detail2{3};
    StringTable touch_grid1{3};
    StringTable touch_grid2{3};
    StringTable execplan_grid{11};

    // "Analyze"
    Selector cursor_combo{true};
    RadioGroup view_group;
    RadioButton rb_viewtl{view_group, true};
    RadioButton rb_viewtc{view_group};
    RadioButton rb_view_stat{view_group};
    Box box_tl, box_tc, box_ep;

    Chart trace_graph;
    ListBox dispbox, hidebox;
    CheckBox graph_3d{true};
    CheckBox trace_graph_asplock{true};
    TrackBar trace_graph_zoom{1, 500, 100};
    TrackBar trace_graph_rot{270, 360, 360};

    Chart touch_graph1, touch_graph2, touch_graph3, touch_graph4;
    Chart execplan_graph;
    StringTable exec_anal{11};

    Box objname_panel{false};
    StringTable objname_grid{3};
};

} // namespace kavro
