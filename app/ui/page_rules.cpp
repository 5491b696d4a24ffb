// The Trace Rules page: the marker texts and rule tables of the analyses.
#include "app/ui/page_kit.h"
#include "app/ui/pages.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollArea>
#include <QVBoxLayout>

namespace kavro::ui {

namespace {

QFrame* blue_rule() {
    auto* line = new QFrame();
    line->setFrameShape(QFrame::HLine);
    line->setStyleSheet("color: blue; background: blue;");
    line->setFixedHeight(1);
    return line;
}

GridView* rule_grid(Binder& b, const std::string& name, int width, int rows = 4) {
    GridView* g = b.grid(name, {width});
    const int row = g->verticalHeader()->defaultSectionSize();
    g->setFixedHeight(g->horizontalHeader()->sizeHint().height() + row * rows + 4);
    g->setMinimumWidth(width + 20);
    return g;
}

void edit_row(Binder& b, QGridLayout* grid, int row, const QString& caption,
              const std::string& name) {
    grid->addWidget(Binder::label(caption), row, 0);
    QLineEdit* e = b.edit(name);
    e->setMinimumWidth(160);
    grid->addWidget(e, row, 1);
}

QGroupBox* trace_group(Binder& b, const QString& title, const char* waitind, const char* metric,
                       const char* cont, const std::string& wait_grid, int width,
                       const char* fetchind, const std::string& fetch_grid, int wait_rows) {
    auto* group = new QGroupBox(title);
    auto* v = new QVBoxLayout(group);
    auto* g = new QGridLayout();
    edit_row(b, g, 0, "Wait Event Indicator", waitind);
    edit_row(b, g, 1, "Wait Event Identifier", metric);
    edit_row(b, g, 2, "Container", cont);
    v->addLayout(g);
    v->addWidget(Binder::label(fetchind ? "Wait Metrics" : "Metrics"));
    v->addWidget(rule_grid(b, wait_grid, width, wait_rows));
    if (fetchind) {
        v->addWidget(blue_rule());
        auto* f = new QGridLayout();
        edit_row(b, f, 0, "Fetch Indicator", fetchind);
        v->addLayout(f);
        v->addWidget(Binder::label("Fetch Metrics"));
        v->addWidget(rule_grid(b, fetch_grid, width));
    }
    v->addStretch();
    return group;
}

} // namespace

QWidget* build_rules_tab(Binder& b) {
    auto* tab = new QWidget();
    auto* grid = new QGridLayout(tab);
    grid->addWidget(trace_group(b, " General Trace Statistics ", "gts_waitind", "gts_metric",
                                "gts_cont", "tracerules_grid1", 337, "gts_fetchind",
                                "tracerules_grid4", 4),
                    0, 0);
    grid->addWidget(trace_group(b, " Wait Event Analysis (Count and Time) ", "wet_waitind",
                                "wet_metric", "wet_cont", "tracerules_grid2", 334, "wet_fetchind",
                                "tracerules_grid5", 4),
                    0, 1);
    grid->addWidget(trace_group(b, " Block Analysis(Count and Time) ", "ba_waitind", "ba_metric",
                                "ba_cont", "tracerules_grid3", 166, nullptr, {}, 10),
                    0, 2);

    auto* nets = new QGroupBox(" OSW (netstat) ");
    auto* nv = new QVBoxLayout(nets);
    auto* ng = new QGridLayout();
    edit_row(b, ng, 0, "Snap Indicator", "nets_start");
    nv->addLayout(ng);
    nv->addWidget(Binder::label("Metric Name"));
    nv->addWidget(rule_grid(b, "tracerules_grid6", 337, 5));
    nv->addStretch();
    grid->addWidget(nets, 1, 0);

    auto* ps = new QGroupBox(" OSW (ps) ");
    auto* pv = new QVBoxLayout(ps);
    auto* pg = new QGridLayout();
    edit_row(b, pg, 0, "Snap Indicator", "ps_start");
    pg->addWidget(Binder::label("Start"), 1, 1);
    pg->addWidget(Binder::label("Count"), 1, 3);
    int row = 2;
    for (auto [caption, start, count] :
         {std::tuple{"User ID Position", "psuser_posb", "psuser_pose"},
          std::tuple{"Process ID Position", "psproc_posb", "psproc_pose"},
          std::tuple{"CPU % Position", "pscpu_posb", "pscpu_pose"}}) {
        pg->addWidget(Binder::label(caption), row, 0);
        QLineEdit* s = b.edit(start);
        QLineEdit* c = b.edit(count);
        s->setMaximumWidth(60);
        c->setMaximumWidth(60);
        pg->addWidget(s, row, 1);
        pg->addWidget(Binder::label("-"), row, 2);
        pg->addWidget(c, row, 3);
        ++row;
    }
    pg->setColumnStretch(4, 1);
    pv->addLayout(pg);
    pv->addWidget(Binder::label("Headings"));
    pv->addWidget(rule_grid(b, "tracerules_grid7", 337, 5));
    pv->addStretch();
    grid->addWidget(ps, 1, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(3, 1);

    // The groups keep their rule tables' widths and heights: on a screen
    // smaller than the page, it scrolls instead of cutting them off.
    auto* scroll = new QScrollArea();
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setFocusPolicy(Qt::NoFocus); // Tab goes to the fields; the area follows it
    scroll->setWidget(tab);
    scroll->viewport()->setAutoFillBackground(false);
    tab->setAutoFillBackground(false);
    return scroll;
}

} // namespace kavro::ui
