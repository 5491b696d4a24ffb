// bench_trace TRACEFILE [RULES_DIR] [--split]
//
// Loads a trace and analyses it through the window, as the two buttons do,
// with the rules file of RULES_DIR (default: the current directory), and
// prints the lines, MB/s of the load and of the analysis, and the peak
// memory. --split presses the analysis button again, then times a third
// analysis by its halves (scan, publishing).
#include "app/form.h"
#include "bench_util.h"
#include "trace/load.h"
#include "trace/publish.h"
#include "trace/scan.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

using namespace kavro;
using kavro::bench::Stopwatch;

namespace {

// CPU seconds of this process: on a machine shared with other work the wall
// clock says more about the neighbours than about the analysis.
double cpu_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Timer {
    Stopwatch wall;
    double cpu0 = cpu_seconds();
    void restart() {
        wall.restart();
        cpu0 = cpu_seconds();
    }
    double cpu() const { return cpu_seconds() - cpu0; }
};

void report(const char* what, const Timer& t, double mb) {
    const double wall = t.wall.seconds(), cpu = t.cpu();
    std::printf("%-15s %.2f s  %.0f MB/s   (CPU %.2f s  %.0f MB/s)\n", what, wall, mb / wall, cpu,
                mb / cpu);
}

long long points(const Chart& chart) {
    long long n = 0;
    for (int i = 0; i < chart.series_count(); ++i) n += chart.series(i).point_count();
    return n;
}

int data_rows(const StringTable& t) {
    return data_rows_end(t) - 1;
}

} // namespace

int main(int argc, char** argv) {
    std::string file, rules_dir = ".";
    bool split = false;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--split")
            split = true;
        else if (positional++ == 0)
            file = a;
        else
            rules_dir = a;
    }
    if (file.empty()) {
        std::fprintf(stderr, "usage: bench_trace TRACEFILE [RULES_DIR] [--split]\n");
        return 2;
    }
    const std::string path = std::filesystem::absolute(file).string();
    const double mb = static_cast<double>(bench::file_bytes(path)) / (1024.0 * 1024.0);

    TForm1 form;
    {
        const auto back = std::filesystem::current_path();
        std::filesystem::current_path(rules_dir);
        form.FormShow();
        std::filesystem::current_path(back);
    }
    form.trace.SQLIdList.text = path;

    Timer watch;
    if (!form.user_click("Button102")) {
        std::fprintf(stderr, "load failed: %s\n", form.last_error().c_str());
        return 1;
    }
    const double load_wall = watch.wall.seconds(), load_cpu = watch.cpu();
    watch.restart();
    const bool analysed = form.user_click("Button2");
    const double analyse_wall = watch.wall.seconds(), analyse_cpu = watch.cpu();
    if (!analysed) std::fprintf(stderr, "analysis failed: %s\n", form.last_error().c_str());

    const TracePage& p = form.trace;
    std::printf("file            %s\n", path.c_str());
    std::printf("size            %.1f MB\n", mb);
    std::printf("lines           %d\n", p.trace_grid.RowCount() - 2);
    std::printf("load            %.2f s  %.0f MB/s   (CPU %.2f s  %.0f MB/s)\n", load_wall,
                mb / load_wall, load_cpu, mb / load_cpu);
    std::printf("analysis        %.2f s  %.0f MB/s   (CPU %.2f s  %.0f MB/s)\n", analyse_wall,
                mb / analyse_wall, analyse_cpu, mb / analyse_cpu);
    std::printf("trace_detail    %d rows\n", data_rows(p.trace_detail));
    std::printf("trace_detail2   %d rows\n", data_rows(p.trace_detail2));
    std::printf("touch_grid1     %d rows\n", data_rows(p.touch_grid1));
    std::printf("touch_grid2     %d rows\n", data_rows(p.touch_grid2));
    std::printf("execplan_grid   %d rows\n", data_rows(p.execplan_grid));
    std::printf("timeline        %d series, %lld points\n", p.trace_graph.series_count(),
                points(p.trace_graph));
    std::printf("cursors         %d\n", p.cursor_combo.count() - 1);
    std::printf("peak RSS        %.0f MB\n",
                static_cast<double>(bench::peak_rss_bytes()) / (1024.0 * 1024.0));

    if (split && analysed) {
        // The same press again: the memory the first run touched is reused.
        watch.restart();
        form.user_click("Button2");
        report("second analysis", watch, mb);
        std::printf("third run, by halves:\n");
        watch.restart();
        clear_trace_results(form.trace);
        report("  clear", watch, mb);
        watch.restart();
        scan_trace(form.trace, read_scan_rules(form.rules));
        report("  scan", watch, mb);
        watch.restart();
        publish_trace(form.trace);
        report("  publish", watch, mb);
    }
    return analysed ? 0 : 1;
}
