// The OSWatcher netstat page: the raw lines, one metric's growth as a table
// and as bars, and the extracted counters.
#include "app/ui/page_kit.h"
#include "app/ui/pages.h"

#include <QVBoxLayout>

namespace kavro::ui {

QWidget* build_netstat_load_tab(Binder& b) {
    return build_load_tab(b, {"Process Statistics (netstat)",
                              "OSW Filename",
                              "netstat_filename",
                              "Button11",
                              {{"Button12", "Load OSW file"},
                               {"Button13", "Anlayze OSW File"},
                               {"Button14", "Clear All"},
                               {"Button15", "Clear Analysis"}},
                              "nets_trace_grid",
                              1311,
                              0,
                              &b.form().netstat_info});
}

QWidget* build_netstat_analyze_tab(Binder& b) {
    auto* tab = new QWidget();
    auto* v = new QVBoxLayout(tab);
    QComboBox* metric = b.selector("net_combo");
    metric->setFixedWidth(561);
    v->addWidget(metric, 0, Qt::AlignLeft);

    ChartStyle style;
    style.legend_alignment = Qt::AlignTop;
    style.labels_on_bottom_axis = true; // the bars stand over the snapshot labels
    style.margins = QMargins(1, 0, 1, 0);
    style.value_format = "%.4g"; // counter growth: whole numbers, short ticks
    v->addWidget(b.chart("nets_graph", style), 3);
    v->addWidget(b.grid("nets_anal", {186, 346, 161, 144}), 2);
    return tab;
}

QWidget* build_netstat_raw_tab(Binder& b) {
    auto* tab = new QWidget();
    auto* v = new QVBoxLayout(tab);
    v->addWidget(b.grid("nets_raw", {226, 241, 340}), 1);
    return tab;
}

} // namespace kavro::ui
