// Offscreen figures of the Qt view (QT_QPA_PLATFORM=offscreen, rendering to
// an image): start-up to the first painted window, the first paint of a grid
// of ten million rows and a jump to its last row, the redraws of a timeline
// of two million points and of a process chart of 2,000 series after new
// data and after hiding half the series.
//   bench_gui [ROWS] [POINTS] [SERIES]

#include "app/ui/chart_view.h"
#include "app/ui/main_window.h"
#include "app/ui/table_model.h"
#include "bench/bench_util.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

double ms_since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

// CPU time of this thread in milliseconds: on a shared machine it moves
// far less than the wall clock.
double cpu_ms() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// A figure: wall-clock and CPU milliseconds since the mark.
struct Mark {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    double cpu = cpu_ms();
    void report(const char* what) const {
        std::printf("%s: %.1f ms (cpu %.1f ms)\n", what, ms_since(wall), cpu_ms() - cpu);
        std::fflush(stdout);
    }
};

// Renders a widget into an image, as a paint of the screen would, once the
// events that a change posts (layouts of new charts among them) have run:
// without them a rebuilt chart would be painted before it has a plot.
void paint(QWidget& w) {
    QApplication::processEvents();
    QImage image(w.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    w.render(&painter);
}

} // namespace

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    const long rows = argc > 1 ? std::atol(argv[1]) : 10'000'000;
    const long points = argc > 2 ? std::atol(argv[2]) : 2'000'000;
    const int processes = argc > 3 ? std::atoi(argv[3]) : 2000;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    {
        kavro::TForm1 form;
        kavro::ui::MainWindow window(form);
        kavro::RecordingMessageBox quiet; // no modal box when db.ini is not here
        form.message_box = &quiet;
        window.show();
        window.start();
        paint(window);
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        std::printf("start-up to first painted window: %.1f ms (cpu %.1f ms)\n", ms_since(started),
                    static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6);
    }

    {
        kavro::StringTable table(1);
        table.SetCell(0, 0, "Trace Line");
        std::string line = "WAIT #140472196194824: nam='db file sequential read' ela= 123 file#=4 "
                           "block#=55 tim=1000";
        for (long i = 0; i < rows; ++i) table.AppendLine(line);
        kavro::ui::GridView grid(table, {1011});
        grid.resize(1200, 800);
        Mark m;
        grid.show();
        paint(grid);
        m.report(("first paint of a grid of " + std::to_string(rows) + " rows").c_str());
        m = Mark();
        grid.scrollToBottom();
        paint(grid);
        m.report("jump to its last row and paint");
    }

    // A timeline as the trace analysis publishes it: 200 cursor-and-event
    // series sharing POINTS points. The redraws that count come after a
    // change of data (a new analysis: every series made again) and after a
    // change of what is shown (a cursor pick or a filter: half the series
    // hidden), each timed from the model change to the painted image.
    {
        kavro::Chart chart;
        const int series = 200;
        const auto fill = [&](int shift) {
            chart.remove_all_series();
            for (int s = 0; s < series; ++s) {
                kavro::Series& line = chart.add_series(kavro::SeriesKind::Line);
                line.set_title("#" + std::to_string(s) + ":db file sequential read(ela=)");
                for (long p = 0; p < points / series; ++p)
                    line.add_point(static_cast<double>(p * series + s),
                                   static_cast<double>((p * 7 + s + shift) % 1000));
            }
        };
        fill(0);
        const std::string name = "timeline of " + std::to_string(points) + " points in " +
                                 std::to_string(series) + " series";
        Mark m;
        kavro::ui::ChartView view(chart, {});
        view.resize(1200, 600);
        view.show();
        paint(view);
        m.report((name + ", build and first paint").c_str());
        fill(1);
        m = Mark();
        view.sync();
        paint(view);
        m.report("timeline redraw after new data");
        m = Mark();
        for (int s = 0; s < series; s += 2) chart.series(s).set_active(false);
        view.sync();
        paint(view);
        m.report("timeline redraw after hiding half");
    }

    // The ps process chart after an analysis of an archive of PROCESSES
    // processes seen in 60 snapshots, then after a filter that hides half.
    {
        kavro::Chart chart;
        const auto fill = [&](int shift) {
            chart.remove_all_series();
            for (int s = 0; s < processes; ++s) {
                kavro::Series& line = chart.add_series(kavro::SeriesKind::Line);
                line.set_title(std::to_string(1000 + s));
                line.set_right_axis();
                for (int p = 0; p < 60; ++p)
                    line.add_value((s * 13 + p * 7 + shift) % 100,
                                   "09:" + std::to_string(10 + p % 50) + ":01");
            }
        };
        fill(0);
        kavro::ui::ChartStyle style;
        style.labels_on_bottom_axis = true;
        Mark m;
        kavro::ui::ChartView view(chart, style);
        view.resize(900, 600);
        view.show();
        paint(view);
        m.report(
            ("process chart of " + std::to_string(processes) + " series, build and first paint")
                .c_str());
        fill(1);
        m = Mark();
        view.sync();
        paint(view);
        m.report("process chart redraw after a new analysis");
        m = Mark();
        for (int s = 0; s < processes; s += 2) chart.series(s).set_active(false);
        view.sync();
        paint(view);
        m.report("process chart redraw after a filter");
    }
    return 0;
}
