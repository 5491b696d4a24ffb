// Offscreen figures of the Qt view (QT_QPA_PLATFORM=offscreen, rendering to
// an image): start-up to the first painted window, the first paint of a grid
// of ten million rows and a jump to its last row, a redraw of a timeline of
// two million points and of a process chart of 2,000 series.
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
#include <string>

namespace {

double ms_since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

// Renders a widget into an image, as a paint of the screen would.
void paint(QWidget& w) {
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
        std::printf("start-up to first painted window: %.0f ms\n", ms_since(started));
    }

    {
        kavro::StringTable table(1);
        table.SetCell(0, 0, "Trace Line");
        std::string line = "WAIT #140472196194824: nam='db file sequential read' ela= 123 file#=4 "
                           "block#=55 tim=1000";
        for (long i = 0; i < rows; ++i) table.AppendLine(line);
        kavro::ui::GridView grid(table, {1011});
        grid.resize(1200, 800);
        auto t = std::chrono::steady_clock::now();
        grid.show();
        paint(grid);
        std::printf("first paint of a grid of %ld rows: %.1f ms\n", rows, ms_since(t));
        t = std::chrono::steady_clock::now();
        grid.scrollToBottom();
        paint(grid);
        std::printf("jump to its last row and paint: %.1f ms\n", ms_since(t));
    }

    {
        kavro::Chart chart;
        const int series = 200;
        for (int s = 0; s < series; ++s) {
            kavro::Series& line = chart.add_series(kavro::SeriesKind::Line);
            line.set_title("#" + std::to_string(s) + ":db file sequential read(ela=)");
            for (long p = 0; p < points / series; ++p)
                line.add_point(static_cast<double>(p * series + s),
                               static_cast<double>((p * 7 + s) % 1000));
        }
        kavro::ui::ChartView view(chart, {});
        view.resize(1200, 600);
        view.show();
        paint(view);
        auto t = std::chrono::steady_clock::now();
        for (int s = 0; s < series; s += 2) chart.series(s).set_active(false);
        view.sync();
        paint(view);
        std::printf("timeline of %ld points in %d series, redraw after hiding half: %.0f ms\n",
                    points, series, ms_since(t));
        t = std::chrono::steady_clock::now();
        chart.series(0).add_point(0, 1); // new data: a full rebuild
        view.sync();
        paint(view);
        std::printf("timeline rebuild and paint: %.0f ms\n", ms_since(t));
    }

    {
        kavro::Chart chart;
        for (int s = 0; s < processes; ++s) {
            kavro::Series& line = chart.add_series(kavro::SeriesKind::Line);
            line.set_title(std::to_string(1000 + s));
            line.set_right_axis();
            for (int p = 0; p < 60; ++p)
                line.add_value((s * 13 + p * 7) % 100, "09:" + std::to_string(10 + p % 50) + ":01");
        }
        kavro::ui::ChartStyle style;
        style.labels_on_bottom_axis = true;
        auto t = std::chrono::steady_clock::now();
        kavro::ui::ChartView view(chart, style);
        view.resize(900, 600);
        view.show();
        paint(view);
        std::printf("process chart of %d series, build and paint: %.0f ms\n", processes,
                    ms_since(t));
        t = std::chrono::steady_clock::now();
        for (int s = 0; s < processes; s += 2) chart.series(s).set_active(false);
        view.sync();
        paint(view);
        std::printf("process chart redraw after a filter: %.0f ms\n", ms_since(t));
    }
    return 0;
}
