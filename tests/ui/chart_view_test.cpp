// What the chart view hands to Qt Charts and what it paints itself: line
// series reduced to what the plot can show, hidden series without points,
// many series drawn by the view's own item, bar labels that never overlap.

#include "app/ui/chart_view.h"
#include "ui_app.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBarCategoryAxis>
#include <QImage>
#include <QLineSeries>
#include <QPainter>

#include <string>

using namespace kavro;
using namespace kavro::ui;

namespace {

QApplication& app() {
    return test_app();
}

// The view as the screen shows it once the events after a change (the new
// chart's layout among them) have run.
QImage painted(ChartView& view) {
    QApplication::processEvents();
    QImage image(view.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    view.render(&painter);
    return image;
}

// Pixels of `colour` inside the plot.
int pixels_of(const ChartView& view, const QImage& image, QColor colour) {
    const QRect plot = view.mapFromScene(view.chart()->plotArea()).boundingRect();
    int n = 0;
    for (int y = plot.top(); y <= plot.bottom(); ++y)
        for (int x = plot.left(); x <= plot.right(); ++x)
            if (image.valid(x, y) && image.pixelColor(x, y) == colour) ++n;
    return n;
}

} // namespace

TEST(ChartViewLines, QtChartsGetsWhatThePlotCanShowAndHiddenSeriesNoPoints) {
    app();
    Chart chart;
    Series& shown = chart.add_series(SeriesKind::Line);
    Series& hidden = chart.add_series(SeriesKind::Line);
    for (int i = 0; i < 200000; ++i) {
        shown.add_point(i, (i * 7919) % 1000);
        hidden.add_point(i, i % 17);
    }
    // A spike in one pixel column survives the reduction.
    shown.add_point(100000.5, 5000);
    hidden.set_active(false);
    ChartView view(chart, {});
    view.resize(800, 400);
    view.show();
    painted(view);
    const auto lines = view.chart()->series();
    ASSERT_EQ(lines.size(), 2);
    auto* a = qobject_cast<QLineSeries*>(lines[0]);
    auto* b = qobject_cast<QLineSeries*>(lines[1]);
    ASSERT_TRUE(a && b);
    EXPECT_GT(a->count(), 200);
    EXPECT_LE(a->count(), 2 * 800 + 4); // about two points a pixel column
    double top = 0;
    for (const QPointF& p : a->points()) top = std::max(top, p.y());
    EXPECT_EQ(top, 5000);
    EXPECT_EQ(b->count(), 0);                // hidden: no points
    EXPECT_EQ(hidden.point_count(), 200000); // the model keeps them all

    hidden.set_active(true);
    view.sync();
    EXPECT_GT(b->count(), 0);
    EXPECT_EQ(view.chart()->series()[1], b); // shown again without a rebuild
}

TEST(ChartViewLines, ManySeriesAreDrawnByTheViewInTheirColoursAndFollowTheirFlags) {
    app();
    Chart chart;
    const int series = 40;
    for (int s = 0; s < series; ++s) {
        Series& line = chart.add_series(SeriesKind::Line);
        line.set_title("process " + std::to_string(s));
        line.set_right_axis();
        for (int p = 0; p < 50; ++p) line.add_value(s, "09:00:" + std::to_string(10 + p));
    }
    // Colours the automatic sequence does not use.
    const QColor red = QColor::fromRgb(0xFF0101), blue = QColor::fromRgb(0x0101FE);
    chart.series(0).set_colour(rgb(0xFF0101));
    chart.series(39).set_colour(rgb(0x0101FE));
    ChartStyle style;
    style.labels_on_bottom_axis = true;
    ChartView view(chart, style);
    view.resize(900, 500);
    view.show();
    // No Qt Charts series per model series: the axes' anchors only.
    EXPECT_LE(view.chart()->series().size(), 2);
    EXPECT_EQ(view.side_legend_entries().size(), series);
    QImage image = painted(view);
    EXPECT_GT(pixels_of(view, image, red), 100);
    EXPECT_GT(pixels_of(view, image, blue), 100);

    // A filter: the hidden line goes, its legend entry stays.
    chart.series(0).set_active(false);
    view.sync();
    image = painted(view);
    EXPECT_EQ(pixels_of(view, image, red), 0);
    EXPECT_GT(pixels_of(view, image, blue), 100);
    EXPECT_EQ(view.side_legend_entries().size(), series);

    // New data after a new analysis: drawn afresh.
    chart.remove_all_series();
    for (int s = 0; s < series; ++s) {
        Series& line = chart.add_series(SeriesKind::Line);
        line.set_colour(rgb(s == 5 ? 0x0101FE : 0x808081));
        line.add_value(s);
        line.add_value(s + 1);
    }
    view.sync();
    image = painted(view);
    EXPECT_GT(pixels_of(view, image, blue), 20);
}

TEST(ChartViewBars, EveryKthBarIsLabelledSoLabelsNeverOverlap) {
    app();
    for (const int bars : {5, 40, 300, 3000}) {
        Chart chart;
        Series& s = chart.add_series(SeriesKind::Bar);
        s.set_marks_visible(false);
        for (int i = 0; i < bars; ++i)
            s.add_value(i % 7, "10:" + std::to_string(10 + i / 60 % 50) + ":" +
                                   std::to_string(10 + i % 50));
        ChartView view(chart, {});
        view.resize(600, 300);
        view.show();
        painted(view);
        QBarCategoryAxis* axis = nullptr;
        for (QAbstractAxis* a : view.chart()->axes())
            if (auto* c = qobject_cast<QBarCategoryAxis*>(a)) axis = c;
        ASSERT_NE(axis, nullptr) << bars;
        EXPECT_EQ(axis->categories().size(), bars); // one category a bar, as before
        EXPECT_FALSE(axis->labelsVisible());        // the view writes them
        const auto shown = view.bar_labels_shown();
        ASSERT_FALSE(shown.empty()) << bars;
        EXPECT_EQ(shown.front().first, 0);
        for (const auto& [bar, text] : shown)
            EXPECT_EQ(text, QString::fromStdString(std::string(s.label(bar)))) << bars;
        const double per_bar = view.chart()->plotArea().width() / bars;
        const int step = shown.size() > 1 ? shown[1].first - shown[0].first : bars;
        const QFontMetricsF fm(axis->labelsFont());
        if (bars > 12) {
            // Upright labels need a text line's height across each.
            EXPECT_GE(step * per_bar, fm.height()) << bars;
            EXPECT_LT((step - 1) * per_bar, fm.height() + 2) << bars; // and no more
        } else {
            // Flat labels, each as wide as its text.
            EXPECT_GE(step * per_bar, fm.horizontalAdvance(shown[0].second)) << bars;
        }
    }
}
