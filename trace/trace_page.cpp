#include "trace/trace_page.h"

namespace kavro {

namespace {
void make_pie(Chart& chart, const char* title) {
    chart.set_title(title);
    chart.set_view3d(true);
    chart.set_elevation(315);
    chart.set_rotation(360);
    chart.set_orthogonal(false);
    Series& pie = chart.add_series(SeriesKind::Pie, PointOrder::Addition);
    pie.set_marks_visible(false);
}
} // namespace

TracePage::TracePage() {
    Page_SQL_Hist.tab_names = {"TabSheet1", "TabSheet3", "TabSheet2"};
    Page_SQL_Hist.tab_captions = {"Load", "Analyze", "Raw Data"};
    Page_SQL_Hist.visible = false;

    // The event columns repeat a few thousand texts ("#3:db file sequential
    // read(ela=)") over millions of rows: each is kept once.
    trace_detail.intern_column(0);
    trace_detail2.intern_column(0);

    cursor_combo.add("All");

    trace_graph.set_title("General Trace Statistics");
    trace_graph.set_view3d(true);
    trace_graph.set_orthogonal(true);

    make_pie(touch_graph1, "Wait Event Times");
    make_pie(touch_graph2, "Wait Event Count");
    make_pie(touch_graph3, "Object Times");
    make_pie(touch_graph4, "Object Count");

    execplan_graph.set_title("Execution Plan(All)");
    Series& bars = execplan_graph.add_series(SeriesKind::HorizBar, PointOrder::Addition);
    bars.set_colour(rgb(0xFF0000));
    bars.set_marks_visible(false);
}

} // namespace kavro
