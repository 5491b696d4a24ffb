// The OSWatcher ps page: the raw lines; the Gantt chart, the two snapshot
// bar charts, the process lines and the filter criteria; the process rows
// and their sort order.
#include "app/ui/page_kit.h"
#include "app/ui/pages.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace kavro::ui {

QWidget* build_ps_load_tab(Binder& b) {
    return build_load_tab(
        b,
        {"Process Statistics (ps)",
         "OSW Filename",
         "osw_filename",
         "Button1",
         {{"Button85", "Load OSW file"}, {"Button4", "Anlayze OSW File"}, {"Button5", "Clear All"}},
         "osw_grid",
         1268,
         11,
         &b.form().ps_info});
}

namespace {

// The snapshot charts: one bar per time label, no legend.
ChartStyle snapshot_bars() {
    ChartStyle s;
    s.legend = false;
    s.labels_on_bottom_axis = true;
    s.value_format = "%.4g";
    s.margins = QMargins(2, 2, 2, 2);
    return s;
}

QGroupBox* filter_criteria(Binder& b) {
    auto* group = new QGroupBox(" Filter Criteria ");
    auto* form = new QFormLayout();
    form->setLabelAlignment(Qt::AlignRight);
    const auto field = [&](const char* label, const std::string& name) {
        QLineEdit* edit = b.edit(name);
        edit->setFixedWidth(150);
        form->addRow(Binder::label(label), edit);
    };
    field("CPU% (>=)", "cpu_thr_value");
    field("Process ID (Like)", "pid_filter");
    field("Process Owner (Like)", "owner_filter");
    auto* row = new QHBoxLayout(group);
    row->addLayout(form);
    QPushButton* filter = b.button("cpu_filter", "Filter");
    filter->setMinimumWidth(90);
    row->addWidget(filter, 0, Qt::AlignBottom);
    row->addStretch();
    return group;
}

} // namespace

QWidget* build_ps_analyze_tab(Binder& b) {
    auto* tab = new QWidget();
    auto* grid = new QGridLayout(tab);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(4);

    ChartStyle gantt;
    gantt.legend = false;
    gantt.time_axis = true;
    gantt.margins = QMargins(2, 2, 2, 2);
    grid->addWidget(b.chart("osw_gantt", gantt), 0, 0);
    grid->addWidget(b.chart("osw_proc_count_chart", snapshot_bars()), 1, 0);
    grid->addWidget(b.chart("osw_cpuutil_chart", snapshot_bars()), 2, 0);

    // The legend lists every process line: a small font beside the plot
    // keeps a few dozen of them readable.
    ChartStyle lines;
    lines.legend_alignment = Qt::AlignRight;
    lines.legend_font = pixel_font(9);
    lines.labels_on_bottom_axis = true; // the points stand over their time labels
    lines.value_format = "%.4g";
    lines.margins = QMargins(2, 2, 2, 2);
    auto* right = new QVBoxLayout();
    right->addWidget(b.chart("osw_process_chart", lines), 1);
    right->addWidget(filter_criteria(b), 0, Qt::AlignRight);
    grid->addLayout(right, 0, 1, 3, 1);

    grid->setColumnStretch(0, 4);
    grid->setColumnStretch(1, 5);
    for (int r = 0; r < 3; ++r) grid->setRowStretch(r, 1);
    return tab;
}

QWidget* build_ps_raw_tab(Binder& b) {
    auto* tab = new QWidget();
    auto* v = new QVBoxLayout(tab);
    v->addWidget(b.grid("osw_ps_grid", {226, 241, 340, 226}), 1);
    auto* group = new QGroupBox(" Sort Order ");
    auto* row = new QHBoxLayout(group);
    row->addWidget(b.radio("RadioButton1", "Time"));
    row->addWidget(b.radio("RadioButton2", "Process ID"));
    row->addWidget(b.radio("RadioButton3", "Owner"));
    row->addWidget(b.radio("RadioButton4", "CPU Utilisation"));
    row->addStretch();
    v->addWidget(group);
    return tab;
}

} // namespace kavro::ui
