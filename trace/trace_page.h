#pragma once

// Everything the SQL trace page (Page_SQL_Hist) holds: the raw lines, the
// five result tables, the plan table, the charts, lists and view controls.

#include "chart/chart.h"
#include "core/controls.h"
#include "core/items.h"
#include "core/string_table.h"

namespace kavro {

// The columns of the result tables, named after their titles; Columns is
// their number.
namespace trace_detail_col { // "Event", "Metric Value", "Metric Type", "Time"
enum : int { Event, Value, Type, Time, Columns };
}
namespace trace_detail2_col { // "Event", "Metric Value", "Time"
enum : int { Event, Value, Time, Columns };
}
namespace touch_grid_col { // touch_grid1 and touch_grid2: "Event", "Time", "Count"
enum : int { Event, Time, Count, Columns };
}
// execplan_grid and exec_anal: "Cursor#", "Count", "Obj#", "Operation",
// "Log Reads", "Phy Reads", "Phy Writes", "Time(us)", "Cost", "Size(Bytes)",
// "Cardinality".
namespace execplan_grid_col {
enum : int {
    Cursor,
    Count,
    Object,
    Operation,
    LogReads,
    PhyReads,
    PhyWrites,
    Time,
    Cost,
    Size,
    Cardinality,
    Columns
};
}

struct TracePage {
    TracePage();
    TracePage(const TracePage&) = delete;
    TracePage& operator=(const TracePage&) = delete;

    PageControl Page_SQL_Hist;

    // "Load"
    Edit SQLIdList{"tracefile.trc"};
    StringTable trace_grid{1};

    // "Raw Data"
    StringTable trace_detail{trace_detail_col::Columns};
    StringTable trace_detail2{trace_detail2_col::Columns};
    StringTable touch_grid1{touch_grid_col::Columns};
    StringTable touch_grid2{touch_grid_col::Columns};
    StringTable execplan_grid{execplan_grid_col::Columns};

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
    StringTable exec_anal{execplan_grid_col::Columns};

    Box objname_panel{false};
    StringTable objname_grid{3};
};

} // namespace kavro
