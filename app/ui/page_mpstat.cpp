// The OSWatcher mpstat page: "Load" and "Analyze" tabs. The Analyze tab is
// the CPU chart with its view controls in a row above it, the vertical
// offset bar to its right and the horizontal one below it.
#include "app/ui/page_kit.h"
#include "app/ui/pages.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace kavro::ui {

QWidget* build_mpstat_load_tab(Binder& b) {
    return build_load_tab(
        b,
        {"Logical Processor Statistics (mpstat)",
         "OSW Filename",
         "mpstat_filename",
         "Button7",
         {{"Button8", "Load OSW file"}, {"Button9", "Anlayze OSW File"}, {"Button10", "Clear All"}},
         "mpstat_grid",
         1268,
         11,
         &b.form().mpstat_info});
}

namespace {

QSlider* bar(Binder& b, const std::string& name, int width) {
    QSlider* s = b.track(name, Qt::Horizontal);
    s->setTickPosition(QSlider::NoTicks);
    s->setFixedWidth(width);
    return s;
}

QHBoxLayout* control_row(Binder& b) {
    auto* row = new QHBoxLayout();
    QCheckBox* lock = b.check("asplock", "Aspect Lock");
    lock->setLayoutDirection(Qt::RightToLeft); // the caption stands left of the box
    row->addWidget(lock);
    row->addSpacing(16);
    row->addWidget(Binder::label("Rotation"));
    row->addWidget(bar(b, "chartrot", 150));
    row->addSpacing(12);
    row->addWidget(Binder::label("Zoom"));
    row->addWidget(bar(b, "chartzoom", 150));
    row->addSpacing(32);
    row->addWidget(Binder::label("CPU#"));
    QComboBox* cpu = b.selector("cpu_num");
    cpu->setMinimumWidth(70);
    cpu->setMaxVisibleItems(20);
    row->addWidget(cpu);
    row->addSpacing(12);
    row->addWidget(b.check("cpu_labels", "Values in panel"));
    row->addSpacing(8);
    row->addWidget(b.check("cpu_servis", "Visible"));
    row->addStretch();
    return row;
}

} // namespace

QWidget* build_mpstat_analyze_tab(Binder& b) {
    auto* tab = new QWidget();
    auto* v = new QVBoxLayout(tab);
    v->addLayout(control_row(b));

    ChartStyle style;
    style.legend_alignment = Qt::AlignRight;
    style.labels_on_bottom_axis = true; // the snapshots' times of day
    style.value_format = "%.10g";
    style.margins = QMargins(1, 0, 1, 0);

    auto* grid = new QGridLayout();
    grid->setSpacing(2);
    grid->addWidget(b.chart("cpu_util_chart", style), 0, 0);
    QSlider* vert = b.track("chart_vert", Qt::Vertical);
    vert->setTickPosition(QSlider::NoTicks);
    // Top to bottom, as the offset moves the chart: a larger one moves it down.
    vert->setInvertedAppearance(true);
    vert->setInvertedControls(true);
    grid->addWidget(vert, 0, 1);
    QSlider* horiz = b.track("chart_horiz", Qt::Horizontal);
    horiz->setTickPosition(QSlider::NoTicks);
    grid->addWidget(horiz, 1, 0);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 1);
    v->addLayout(grid, 1);
    return tab;
}

} // namespace kavro::ui
