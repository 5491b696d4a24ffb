// bench_ps FILE [RULES_INI]
//
// Loads a ps archive and works it through the window's own handlers: "Load
// OSW file", "Anlayze OSW File" (which ends with the filter), "Filter" once
// more with an owner criterion, and the four sort choices. The ps rules come
// from RULES_INI (default: the tracerules.ini of the current directory, as
// at start-up). Prints the lines, rows and process lines, the time and MB/s
// of each step and the peak resident memory.

#include "bench_util.h"

#include "app/form.h"
#include "config/rules_page.h"

#include <cstdio>
#include <string>

namespace {

bool step(kavro::TForm1& form, const char* what, double mb, const std::function<bool()>& action) {
    kavro::bench::Stopwatch watch;
    if (!action()) {
        std::fprintf(stderr, "bench_ps: %s failed: %s\n", what, form.last_error().c_str());
        return false;
    }
    const double s = watch.seconds();
    std::printf("%-22s %7.2f s  %6.0f MB/s\n", what, s, mb / s);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_ps FILE [RULES_INI]\n");
        return 2;
    }
    const std::string file = argv[1];
    const double mb = static_cast<double>(kavro::bench::file_bytes(file)) / (1024.0 * 1024.0);

    kavro::TForm1 form;
    form.FormShow();
    if (argc > 2) {
        form.rules.tracerules_grid7.ResetTable();
        kavro::read_trace_rules(argv[2], form.rules);
    }
    const kavro::PsPage& p = form.ps;
    std::printf("file      %s (%.1f MB)\n", file.c_str(), mb);

    kavro::bench::Stopwatch total;
    bool ok = step(form, "load", mb, [&] {
        return form.user_set("osw_filename", file) && form.user_click("Button85");
    });
    ok = ok && step(form, "analyse + filter", mb, [&] { return form.user_click("Button4"); });
    const double one_pass = total.seconds();
    ok = ok && step(form, "filter (owner ora)", mb, [&] {
             return form.user_set("owner_filter", "ora") && form.user_click("cpu_filter");
         });
    ok = ok &&
         step(form, "sort CPU Utilisation", mb, [&] { return form.user_click("RadioButton4"); });
    ok = ok && step(form, "sort Process ID", mb, [&] { return form.user_click("RadioButton2"); });
    ok = ok && step(form, "sort Owner", mb, [&] { return form.user_click("RadioButton3"); });
    ok = ok && step(form, "sort Time", mb, [&] { return form.user_click("RadioButton1"); });
    if (!ok) return 1;

    int shown = 0;
    for (int i = 0; i < p.osw_process_chart.series_count(); ++i)
        if (p.osw_process_chart.series(i).active()) ++shown;
    std::printf("lines     %d\n", p.osw_grid.RowCount() - 1);
    std::printf("rows      %d\n", p.osw_ps_grid.RowCount() - 1);
    std::printf("processes %d (%d shown)\n", p.osw_process_chart.series_count(), shown);
    std::printf("snapshots %d\n", p.osw_proc_count_chart.series(0).point_count());
    std::printf("load + analyse %.2f s  %.0f MB/s\n", one_pass, mb / one_pass);
    std::printf("peak RSS  %.0f MB\n",
                static_cast<double>(kavro::bench::peak_rss_bytes()) / (1024.0 * 1024.0));
    return 0;
}
