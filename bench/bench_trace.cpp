// bench_trace TRACEFILE [RULES_DIR] [--split] [--digest] [--cursor] [--halves]
//
// Loads a trace and analyses it through the window, as the two buttons do,
// with the rules file of RULES_DIR (default: the current directory), and
// prints the lines, MB/s of the load and of the analysis, and the peak
// memory. --split presses the analysis button again, then times a third
// analysis by its halves (scan, publishing). --digest prints a checksum of
// every table cell, series, point, label and list item of the trace page, so
// a change made for speed can be shown to leave the results as they were.
// --cursor times cursor_comboChange: a cursor from the middle of the list
// picked after the analysis, then "All" again, and prints the slower one.
// --halves runs the first analysis by its halves (clear, scan, publishing)
// instead of through the button, with the memory held after each: the first
// run is the one that pays for fresh memory.
#include "app/form.h"
#include "bench_util.h"
#include "trace/load.h"
#include "trace/publish.h"
#include "trace/scan.h"
#include "trace_view/trace_view.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
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

// FNV-1a over everything a user can see on the trace page.
class Digest {
public:
    void text(std::string_view s) {
        number(static_cast<double>(s.size()));
        for (char c : s) byte(static_cast<unsigned char>(c));
    }
    void number(double v) {
        unsigned char b[sizeof v];
        std::memcpy(b, &v, sizeof v);
        for (unsigned char c : b) byte(c);
    }
    void table(const StringTable& t) {
        number(t.RowCount());
        for (int r = 0; r < t.RowCount(); ++r)
            for (int c = 0; c < t.ColCount(); ++c) text(t.Cell(c, r));
    }
    void chart(const Chart& chart) {
        number(chart.series_count());
        for (int i = 0; i < chart.series_count(); ++i) {
            const Series& s = chart.series(i);
            text(s.title());
            number(s.active());
            number(s.colour());
            number(s.point_count());
            for (int p = 0; p < s.point_count(); ++p) {
                number(s.x(p));
                number(s.value(p));
                text(s.label(p));
                number(s.point_colour(p));
            }
        }
        for (const std::string& line : chart.title()) text(line);
    }
    void items(const std::vector<std::string>& list) {
        number(static_cast<double>(list.size()));
        for (const std::string& item : list) text(item);
    }
    std::uint64_t value() const { return h_; }

private:
    void byte(unsigned char c) {
        h_ ^= c;
        h_ *= 0x100000001b3ull;
    }
    std::uint64_t h_ = 0xcbf29ce484222325ull;
};

std::uint64_t page_digest(const TracePage& p) {
    Digest d;
    for (const StringTable* t : {&p.trace_grid, &p.trace_detail, &p.trace_detail2, &p.touch_grid1,
                                 &p.touch_grid2, &p.execplan_grid, &p.exec_anal})
        d.table(*t);
    for (const Chart* c : {&p.trace_graph, &p.touch_graph1, &p.touch_graph2, &p.touch_graph3,
                           &p.touch_graph4, &p.execplan_graph})
        d.chart(*c);
    d.items(p.dispbox.items());
    d.items(p.hidebox.items());
    d.items(p.cursor_combo.items());
    d.text(p.cursor_combo.text());
    return d.value();
}

} // namespace

int main(int argc, char** argv) {
    std::string file, rules_dir = ".";
    bool split = false, digest = false, cursor = false, halves = false;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--split")
            split = true;
        else if (a == "--digest")
            digest = true;
        else if (a == "--cursor")
            cursor = true;
        else if (a == "--halves")
            halves = true;
        else if (positional++ == 0)
            file = a;
        else
            rules_dir = a;
    }
    if (file.empty()) {
        std::fprintf(stderr,
                     "usage: bench_trace TRACEFILE [RULES_DIR] [--split] [--digest] [--cursor] "
                     "[--halves]\n");
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
    const auto mb_held = [] { return static_cast<double>(bench::rss_bytes()) / (1024.0 * 1024.0); };
    if (halves) std::printf("held after load %.0f MB\n", mb_held());
    watch.restart();
    bool analysed = true;
    if (halves) {
        // As the button does, with the memory held after each half.
        const auto half = [&](const char* what, auto&& step) {
            Timer t;
            const bool ok = form.run(step);
            std::printf("  %-13s %.2f s (CPU %.2f s), held %.0f MB\n", what, t.wall.seconds(),
                        t.cpu(), mb_held());
            return ok;
        };
        analysed = half("clear", [&] { clear_trace_results(form.trace); }) &&
                   half("scan", [&] { scan_trace(form.trace, read_scan_rules(form.rules)); }) &&
                   half("publish", [&] { publish_trace(form.trace); });
    } else {
        analysed = form.user_click("Button2");
    }
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

    if (digest) {
        std::printf("digest          %016llx\n",
                    static_cast<unsigned long long>(page_digest(form.trace)));
        if (analysed && form.trace.cursor_combo.count() > 1) {
            // A cursor in the middle of the list, then "All" again.
            if (!form.user_pick("cursor_combo", form.trace.cursor_combo.count() / 2) ||
                !form.user_pick("cursor_combo", 1))
                std::fprintf(stderr, "refresh failed: %s\n", form.last_error().c_str());
            std::printf("after picks     %016llx\n",
                        static_cast<unsigned long long>(page_digest(form.trace)));
            if (!form.user_pick("cursor_combo", 0))
                std::fprintf(stderr, "refresh failed: %s\n", form.last_error().c_str());
            std::printf("after All       %016llx\n",
                        static_cast<unsigned long long>(page_digest(form.trace)));
        }
    }

    if (cursor && analysed && form.trace.cursor_combo.count() > 1) {
        double slowest = 0;
        for (const int item : {form.trace.cursor_combo.count() / 2, 0}) {
            watch.restart();
            if (!form.user_pick("cursor_combo", item))
                std::fprintf(stderr, "refresh failed: %s\n", form.last_error().c_str());
            const double ms = watch.wall.seconds() * 1000.0;
            std::printf("pick %-10s %.1f ms\n", form.trace.cursor_combo.text().c_str(), ms);
            slowest = std::max(slowest, ms);
        }
        std::printf("cursor_comboChange: %.1f ms\n", slowest);
        // The same two refreshes again, step by step.
        TracePage& page = form.trace;
        const struct {
            const char* name;
            void (*step)(TracePage&);
        } steps[] = {{"series", trace_view::show_selected_series},
                     {"pies", trace_view::refill_touch_pies},
                     {"plan", trace_view::refill_plan},
                     {"lists", trace_view::sort_lists}};
        for (const int item : {page.cursor_combo.count() / 2, 0}) {
            page.cursor_combo.select(item);
            for (const auto& s : steps) {
                watch.restart();
                s.step(page);
                std::printf("  %-10s %-7s %.1f ms\n", item == 0 ? "All" : "pick", s.name,
                            watch.wall.seconds() * 1000.0);
            }
        }
    }

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
