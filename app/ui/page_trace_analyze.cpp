// The SQL trace page: "Analyze" tab. A row of controls picks the cursor and
// the view; the three views share one place below it.
#include "app/ui/page_kit.h"
#include "app/ui/pages.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <utility>
#include <vector>

namespace kavro::ui {

namespace {

QGroupBox* group(const QString& caption) {
    auto* box = new QGroupBox(caption);
    // The boxes lie on top of one another; each hides the ones below.
    box->setAutoFillBackground(true);
    return box;
}

// The charts' small legend font; pixel_font asks for a fixed-pitch face.
QFont legend_font(int pixels) {
    QFont f("Arial");
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixels);
    return f;
}

QPushButton* bold_button(Binder& b, const std::string& name, const QString& caption) {
    QPushButton* button = b.button(name, caption);
    QFont f = button->font();
    f.setBold(true);
    button->setFont(f);
    button->setFixedWidth(40);
    return button;
}

QWidget* labelled(QLabel* label, QWidget* widget) {
    auto* w = new QWidget();
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);
    v->addWidget(label);
    v->addWidget(widget, 1);
    return w;
}

QGroupBox* timeline_box(Binder& b) {
    QGroupBox* box = group("Timeline ");
    auto* grid = new QGridLayout(box);

    ChartStyle style;
    style.legend_alignment = Qt::AlignRight;
    style.legend_font = legend_font(10);
    style.value_format = "%.10g";
    style.grouped_numbers = true;
    style.mouse_zoom = true;
    grid->addWidget(b.chart("trace_graph", style), 0, 0);

    auto* controls = new QVBoxLayout();
    controls->addWidget(b.check("graph_3d", "3D"));
    controls->addWidget(b.check("trace_graph_asplock", "Aspect Lock"));
    controls->addSpacing(8);
    controls->addWidget(Binder::label("Zoom"));
    controls->addWidget(b.track("trace_graph_zoom", Qt::Horizontal));
    controls->addSpacing(8);
    controls->addWidget(Binder::label("Rotation"));
    controls->addWidget(b.track("trace_graph_rot", Qt::Horizontal));
    controls->addStretch();
    auto* side = new QWidget();
    side->setLayout(controls);
    side->setFixedWidth(110);
    grid->addWidget(side, 0, 1);

    auto* lists = new QHBoxLayout();
    QListView* shown = b.list("dispbox");
    QListView* hidden = b.list("hidebox");
    lists->addWidget(labelled(Binder::label("Display"), shown), 1);
    auto* buttons = new QVBoxLayout();
    buttons->addStretch();
    buttons->addWidget(bold_button(b, "disp1but", "<"));
    buttons->addWidget(bold_button(b, "hide1but", ">"));
    buttons->addWidget(bold_button(b, "dispallbut", "<<"));
    buttons->addWidget(bold_button(b, "hideallbut", ">>"));
    buttons->addStretch();
    lists->addLayout(buttons);
    lists->addWidget(labelled(Binder::label("Hide"), hidden), 1);
    auto* under = new QWidget();
    under->setLayout(lists);
    under->setFixedHeight(170);
    grid->addWidget(under, 1, 0);

    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 1);
    return box;
}

QGroupBox* touch_box(Binder& b) {
    QGroupBox* box = group(" Touch Count ");
    auto* grid = new QGridLayout(box);
    ChartStyle pie;
    pie.legend_alignment = Qt::AlignRight;
    // A side legend gets at most two fifths of its chart: a font a size
    // smaller keeps the object numbers of long cursor references in view.
    pie.legend_font = legend_font(9);
    // Left column: per wait event; right column: per wait event and object.
    grid->addWidget(b.chart("touch_graph1", pie), 0, 0);
    grid->addWidget(b.chart("touch_graph2", pie), 1, 0);
    grid->addWidget(b.chart("touch_graph4", pie), 0, 1);
    grid->addWidget(b.chart("touch_graph3", pie), 1, 1);
    return box;
}

QGroupBox* plan_box(Binder& b) {
    QGroupBox* box = group(" Execution Plan ");
    auto* v = new QVBoxLayout(box);
    ChartStyle bars;
    bars.legend = false;
    bars.value_axis_title = "Microseconds";
    bars.value_format = "%.10g";
    bars.inverted_category_axis = true;
    bars.category_font = pixel_font(13, "Courier New");
    bars.category_colour = Qt::black;
    bars.bars_per_page = 10;
    bars.notes = {"Zoom In/Out : Left Mouse", "Scroll Up/Down: Right Mouse"};
    bars.notes_colour = Qt::blue;
    bars.mouse_zoom = true;
    bars.margins = QMargins(4, 26, 4, 4); // room for the notes above the bars
    v->addWidget(b.chart("execplan_graph", bars), 3);
    v->addWidget(b.grid("exec_anal", {106, 65, 91, 327, 93, 104, 99, 111, 100, 101, 100}), 2);
    return box;
}

} // namespace

QWidget* build_trace_analyze_tab(Binder& b) {
    auto* tab = new QWidget();
    auto* v = new QVBoxLayout(tab);

    auto* top = new QHBoxLayout();
    top->addWidget(Binder::label("Cursor Ref:"));
    QComboBox* cursor = b.selector("cursor_combo");
    cursor->setMinimumWidth(240);
    top->addWidget(cursor);
    top->addSpacing(24);
    top->addWidget(b.radio("rb_viewtl", "Timeline"));
    top->addWidget(b.radio("rb_viewtc", "Touch Count"));
    top->addWidget(b.radio("rb_view_stat", "Execution Plan"));
    top->addStretch();
    v->addLayout(top);

    // The three views in one place. While more than one is shown, as at
    // start, the timeline lies on top of the touch counts and those on top
    // of the plan; a view covered by another is hidden from the window as
    // well, so that Tab never moves into controls nobody can see.
    auto* views = new QGridLayout();
    const std::pair<const char*, QGroupBox*> stacked[] = {
        {"box_tl", timeline_box(b)}, {"box_tc", touch_box(b)}, {"box_ep", plan_box(b)}};
    std::vector<std::pair<const Box*, QGroupBox*>> boxes;
    for (auto [name, box] : stacked) {
        box->setObjectName(name);
        views->addWidget(box, 0, 0);
        boxes.emplace_back(TForm1::find(b.form().boxes, name), box);
    }
    const auto show_top = [boxes] {
        bool covered = false;
        for (auto [model, box] : boxes) {
            const bool shown = model->visible && !covered;
            covered |= model->visible;
            if (box->isHidden() == shown) box->setVisible(shown);
        }
    };
    show_top();
    b.on_sync(show_top);
    v->addLayout(views, 1);
    return tab;
}

} // namespace kavro::ui
