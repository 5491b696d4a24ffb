// bench_netstat FILE [RULES_INI]
//
// Loads a netstat archive and analyses it through the window's own handlers
// ("Load OSW file", then "Anlayze OSW File"), with the netstat rules of
// RULES_INI (default: the tracerules.ini of the current directory, as at
// start-up). Prints the lines, records and metrics, the time and MB/s of
// each step and the peak resident memory.

#include "bench_util.h"

#include "app/form.h"
#include "config/rules_page.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_netstat FILE [RULES_INI]\n");
        return 2;
    }
    const std::string file = argv[1];
    const double mb = static_cast<double>(kavro::bench::file_bytes(file)) / (1024.0 * 1024.0);

    kavro::TForm1 form;
    form.FormShow();
    if (argc > 2) {
        form.rules.tracerules_grid6.ResetTable();
        kavro::read_trace_rules(argv[2], form.rules);
    }
    const int rules = form.rules.tracerules_grid6.RowCount() - 1;

    kavro::bench::Stopwatch watch;
    if (!form.user_set("netstat_filename", file) || !form.user_click("Button12")) {
        std::fprintf(stderr, "bench_netstat: load failed: %s\n", form.last_error().c_str());
        return 1;
    }
    const double load_s = watch.seconds();
    watch.restart();
    if (!form.user_click("Button13")) {
        std::fprintf(stderr, "bench_netstat: analysis failed: %s\n", form.last_error().c_str());
        return 1;
    }
    const double analyse_s = watch.seconds();

    const kavro::NetstatPage& p = form.netstat;
    std::printf("file      %s (%.1f MB)\n", file.c_str(), mb);
    std::printf("lines     %d\n", p.nets_trace_grid.RowCount() - 2);
    std::printf("rules     %d\n", rules);
    std::printf("records   %d\n", p.nets_raw.RowCount() - 1);
    std::printf("metrics   %d\n", p.net_combo.count());
    std::printf("view      %d rows of %s\n", p.nets_anal.RowCount() - 1,
                p.net_combo.text().c_str());
    std::printf("load      %.2f s  %.0f MB/s\n", load_s, mb / load_s);
    std::printf("analyse   %.2f s  %.0f MB/s\n", analyse_s, mb / analyse_s);
    std::printf("total     %.2f s  %.0f MB/s\n", load_s + analyse_s, mb / (load_s + analyse_s));
    std::printf("peak RSS  %.0f MB\n",
                static_cast<double>(kavro::bench::peak_rss_bytes()) / (1024.0 * 1024.0));
    return 0;
}
