// bench_mpstat FILE
//
// Loads an mpstat archive into the window's raw table and analyses it, as
// "Load OSW file" and "Anlayze OSW File" do, and prints the throughput of
// each step and the peak memory of the process.

#include "app/form.h"
#include "bench/bench_util.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_mpstat FILE\n");
        return 2;
    }
    using namespace kavro;
    const std::string path = argv[1];
    const double mb = static_cast<double>(bench::file_bytes(path)) / (1024.0 * 1024.0);

    TForm1 form;
    form.user_set("mpstat_filename", path);

    bench::Stopwatch load_time;
    if (!form.user_click("Button8")) {
        std::fprintf(stderr, "load failed: %s\n", form.last_error().c_str());
        return 1;
    }
    const double load_s = load_time.seconds();

    bench::Stopwatch analyse_time;
    if (!form.user_click("Button9")) {
        std::fprintf(stderr, "analysis failed: %s\n", form.last_error().c_str());
        return 1;
    }
    const double analyse_s = analyse_time.seconds();

    const Chart& chart = form.mpstat.cpu_util_chart;
    long long points = 0;
    for (int i = 0; i < chart.series_count(); ++i) points += chart.series(i).point_count();
    const int lines = form.mpstat.mpstat_grid.RowCount() - 2;

    std::printf("file      %s (%.1f MB)\n", path.c_str(), mb);
    std::printf("lines     %d\n", lines);
    std::printf("series    %d, points %lld\n", chart.series_count(), points);
    std::printf("load      %.2f s, %.0f MB/s\n", load_s, load_s > 0 ? mb / load_s : 0.0);
    std::printf("analyse   %.2f s, %.0f MB/s\n", analyse_s, analyse_s > 0 ? mb / analyse_s : 0.0);
    std::printf("peak RSS  %.0f MB\n",
                static_cast<double>(bench::peak_rss_bytes()) / (1024.0 * 1024.0));
    return 0;
}
