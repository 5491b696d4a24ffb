#include "osw_mpstat/mpstat_actions.h"

#include "core/convert.h"

namespace kavro {

namespace {

void reset_view(Chart& chart) {
    chart.set_orthogonal(true);
    chart.set_vert_offset(0);
    chart.set_horiz_offset(0);
    chart.set_zoom(100);
    chart.set_rotation(360);
}

// A bar that moves runs its change action, which writes the same value into
// the view once more.
void reset_track_bars(MpstatPage& page) {
    page.chart_vert.set_position(0);
    page.chart_horiz.set_position(0);
    page.chartzoom.set_position(100);
    page.chartrot.set_position(360);
}

Series& selected_series(MpstatPage& page) {
    return page.cpu_util_chart.series(StrToInt(page.cpu_num.text()));
}

} // namespace

void clear_mpstat(MpstatPage& page) {
    page.mpstat_grid.ResetTable();
    page.cpu_util_chart.remove_all_series();
    page.cpu_num.clear();
    // An unticked box runs its click action here, which does the same reset
    // as the next two steps.
    page.asplock.set_checked(true);
    reset_view(page.cpu_util_chart);
    reset_track_bars(page);
}

void apply_aspect_lock(MpstatPage& page) {
    if (!page.asplock.checked()) {
        page.cpu_util_chart.set_orthogonal(false);
        return;
    }
    reset_view(page.cpu_util_chart);
    reset_track_bars(page);
}

void apply_rotation(MpstatPage& page) {
    page.cpu_util_chart.set_rotation(page.chartrot.position());
}
void apply_zoom(MpstatPage& page) {
    page.cpu_util_chart.set_zoom(page.chartzoom.position());
}
void apply_horiz_offset(MpstatPage& page) {
    page.cpu_util_chart.set_horiz_offset(page.chart_horiz.position());
}
void apply_vert_offset(MpstatPage& page) {
    page.cpu_util_chart.set_vert_offset(page.chart_vert.position());
}

void show_selected_cpu(MpstatPage& page) {
    Series& s = selected_series(page);
    s.set_marks_style_value();
    // Each box that changes runs its click action, which writes the state
    // just read back into the same series.
    page.cpu_labels.set_checked(s.marks_visible());
    page.cpu_servis.set_checked(s.active());
}

void apply_cpu_labels(MpstatPage& page) {
    Series& s = selected_series(page);
    if (page.cpu_labels.checked()) {
        s.set_marks_style_value();
        s.set_marks_visible(true);
    } else {
        s.set_marks_visible(false);
    }
}

void apply_cpu_visible(MpstatPage& page) {
    selected_series(page).set_active(page.cpu_servis.checked());
}

} // namespace kavro
