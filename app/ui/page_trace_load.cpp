// The SQL trace page: "Load" and "Raw Data" tabs.
#include "app/ui/page_kit.h"
#include "app/ui/pages.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <numeric>

namespace kavro::ui {

QWidget* build_trace_load_tab(Binder& b) {
    return build_load_tab(b, {"Oracle Trace File Analysis",
                              "SQL Trace Filename",
                              "SQLIdList",
                              "Button100",
                              {{"Button102", "Load SQL Trace File"},
                               {"Button2", "Anlayze SQL Trace File"},
                               {"Button104", "Clear All"}},
                              "trace_grid",
                              1011});
}

namespace {

struct RawGrid {
    const char* name;
    std::vector<int> widths;
    const char* tip; // what the table holds, for the pointer
};

// Grids side by side, each taking a share of the width in proportion to its
// columns, so at the window's first size every column shows whole.
QHBoxLayout* grid_row(Binder& b, const std::vector<RawGrid>& grids) {
    auto* row = new QHBoxLayout();
    for (const RawGrid& g : grids) {
        GridView* grid = b.grid(g.name, g.widths);
        grid->setToolTip(QString::fromUtf8(g.tip));
        row->addWidget(grid, std::accumulate(g.widths.begin(), g.widths.end(), 0));
    }
    return row;
}

} // namespace

// The five result tables of an analysis: the plotted wait and fetch values
// above, the touch counts per event and per object in the middle, the plan
// lines across the bottom.
QWidget* build_trace_raw_tab(Binder& b) {
    auto* tab = new QWidget();
    auto* v = new QVBoxLayout(tab);
    v->addLayout(
        grid_row(b, {{"trace_detail", {258, 103, 104, 109}, "Wait lines: one row per metric"},
                     {"trace_detail2", {201, 141, 139}, "Fetch lines: one row per metric"}}),
        1);
    v->addLayout(
        grid_row(b,
                 {{"touch_grid1", {367, 106, 110}, "Sums and counts per cursor and event"},
                  {"touch_grid2", {338, 96, 110}, "Sums and counts per cursor, event and object"}}),
        1);
    v->addLayout(grid_row(b, {{"execplan_grid",
                               {106, 65, 91, 327, 93, 104, 99, 111, 100, 101, 100},
                               "Execution plan lines"}}),
                 1);
    return tab;
}

} // namespace kavro::ui
