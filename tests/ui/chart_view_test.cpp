// What the chart view hands to Qt Charts and what it paints itself: line
// series reduced to what the plot can show, hidden series without points,
// many series drawn by the view's own item, bar labels that never overlap,
// pies and timelines of a large trace at once, hidden charts left alone.

#include "app/ui/chart_view.h"
#include "chart/pie_slices.h"
#include "ui_app.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBarCategoryAxis>
#include <QCategoryAxis>
#include <QElapsedTimer>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QPieSeries>
#include <QValueAxis>

#include <cstdio>
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
        // One category a bar, or, past a bar a pixel column, one for every
        // few bars (the first one's label).
        const auto drawn = static_cast<int>(axis->categories().size());
        const double columns = view.chart()->plotArea().width();
        if (bars <= columns)
            EXPECT_EQ(drawn, bars);
        else
            EXPECT_TRUE(drawn <= columns && drawn * 2 > columns / 2) << bars << " " << drawn;
        const int per = (bars + drawn - 1) / drawn;
        EXPECT_FALSE(axis->labelsVisible()); // the view writes them
        const auto shown = view.bar_labels_shown();
        ASSERT_FALSE(shown.empty()) << bars;
        EXPECT_EQ(shown.front().first, 0);
        for (const auto& [bar, text] : shown)
            EXPECT_EQ(text, QString::fromStdString(std::string(s.label(bar * per)))) << bars;
        const double per_bar = view.chart()->plotArea().width() / drawn;
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

// The plan bars of a large trace: Qt Charts is handed the page in view,
// first plan row at the top, and scrolling hands it the next rows; the value
// axis spans every bar, so bars keep their scale from page to page.
TEST(ChartViewBars, APagedChartOfTwentyThousandBarsHandsOverOnePage) {
    app();
    Chart chart;
    Series& s = chart.add_series(SeriesKind::HorizBar, PointOrder::Addition);
    for (int i = 0; i < 20000; ++i)
        s.add_value(i == 15000 ? 1e6 : i % 100, "  STEP " + std::to_string(i));
    ChartStyle style;
    style.inverted_category_axis = true;
    style.bars_per_page = 10;
    ChartView view(chart, style);
    view.resize(600, 400);
    view.show();
    painted(view);
    QBarCategoryAxis* axis = nullptr;
    QValueAxis* values = nullptr;
    for (QAbstractAxis* a : view.chart()->axes()) {
        if (auto* c = qobject_cast<QBarCategoryAxis*>(a)) axis = c;
        if (auto* v = qobject_cast<QValueAxis*>(a)) values = v;
    }
    ASSERT_TRUE(axis && values);
    const auto top = [&] { return axis->categories().back().replace(QChar(0x00A0), ' '); };
    ASSERT_EQ(axis->categories().size(), 10);
    EXPECT_EQ(top(), "  STEP 0"); // the last category is drawn at the top
    EXPECT_GE(values->max(), 1e6);
    view.scroll_bars(3);
    EXPECT_EQ(view.first_bar(), 3);
    EXPECT_EQ(top(), "  STEP 3");
    view.scroll_bars(100000);
    EXPECT_EQ(top(), "  STEP 19990");
    EXPECT_EQ(axis->categories().size(), 10);
}

// The point labels under a line chart (the ps and mpstat times) stand apart
// at any width: Qt Charts cuts a turned label that crowds its neighbours
// down to "...". A wider plot takes more of them, up to about twenty.
TEST(ChartViewLines, PointLabelsAreAsManyAsStandApart) {
    app();
    Chart chart;
    Series& s = chart.add_series(SeriesKind::Line);
    for (int p = 0; p < 2000; ++p) {
        char label[16];
        std::snprintf(label, sizeof label, "%02d:%02d:%02d", p / 120, p / 2 % 60, p % 2 * 30);
        s.add_value(p % 50, label);
    }
    ChartStyle style;
    style.labels_on_bottom_axis = true;
    ChartView view(chart, style);
    const auto labels = [&] {
        return qobject_cast<QCategoryAxis*>(view.chart()->axes(Qt::Horizontal).value(0));
    };
    // How far apart two labels stand, in pixels.
    const auto spacing = [&] {
        QCategoryAxis* axis = labels();
        const QStringList shown = axis->categoriesLabels();
        return axis->endValue(shown[1]) * view.chart()->plotArea().width() / 1999;
    };
    view.resize(500, 400);
    view.show();
    painted(view);
    ASSERT_NE(labels(), nullptr);
    const int narrow = labels()->count();
    ASSERT_GE(narrow, 2);
    const QFontMetricsF fm(labels()->labelsFont());
    EXPECT_GE(spacing(), fm.horizontalAdvance("00:00:00") + fm.height());
    EXPECT_EQ(labels()->categoriesLabels().front(), "00:00:00");

    view.resize(1600, 400);
    painted(view);
    EXPECT_GT(labels()->count(), narrow);
    EXPECT_LE(labels()->count(), 20);
    EXPECT_GE(spacing(), fm.horizontalAdvance("00:00:00") + fm.height());
}

// The sizes a large trace gives the touch-count pies and the timeline: the
// view builds and paints each in well under a second (a pie was quadratic
// in its slices, and a slice-per-row pie of 60,000 rows never finished).
TEST(ChartViewScale, APieOfAHundredThousandSlicesAndATimelineOfTenThousandSeries) {
    app();
    Chart pie;
    Series& slices = pie.add_series(SeriesKind::Pie, PointOrder::Addition);
    for (int i = 0; i < 100000; ++i)
        slices.add_value(i == 500 ? 1e6 : (i * 7919) % 1000 + 1,
                         "#" + std::to_string(i) + ":db file sequential read");
    QElapsedTimer clock;
    clock.start();
    ChartView pv(pie, {});
    pv.resize(600, 400);
    pv.show();
    painted(pv);
    EXPECT_LT(clock.elapsed(), 1000);
    auto* drawn = qobject_cast<QPieSeries*>(pv.chart()->series().value(0));
    ASSERT_NE(drawn, nullptr);
    ASSERT_EQ(drawn->count(), kPieSlices);
    EXPECT_EQ(drawn->slices().front()->label(), "#500:db file sequential read");
    EXPECT_EQ(drawn->slices().back()->label(), "Others (99986)");
    double sum = 0;
    for (QPieSlice* s : drawn->slices()) sum += s->value();
    EXPECT_DOUBLE_EQ(sum, drawn->sum());
    EXPECT_EQ(slices.point_count(), 100000); // the model keeps every slice
    // The legend lists what is drawn, in the chart's own legend.
    EXPECT_TRUE(pv.side_legend_entries().isEmpty());
    EXPECT_EQ(pv.chart()->legend()->markers(drawn).size(), kPieSlices);

    Chart timeline;
    for (int s = 0; s < 10000; ++s) {
        Series& line = timeline.add_series(SeriesKind::Line);
        line.set_title("#" + std::to_string(s) + ":db file sequential read(ela=)");
        for (int p = 0; p < 5; ++p) line.add_point(s * 10.0 + p * 997, (s * 31 + p * 7) % 500);
    }
    clock.restart();
    ChartView tv(timeline, {});
    tv.resize(1000, 500);
    tv.show();
    painted(tv);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(tv.side_legend_entries().size(), 10000);
    for (int s = 0; s < 10000; s += 2) timeline.series(s).set_active(false);
    clock.restart();
    tv.sync();
    painted(tv);
    EXPECT_LT(clock.elapsed(), 1000);
}

// A chart in a view nobody sees is brought up to date when it is shown.
TEST(ChartViewScale, AHiddenChartIsBuiltWhenShown) {
    app();
    Chart chart;
    Series& s = chart.add_series(SeriesKind::Pie, PointOrder::Addition);
    QWidget holder;
    auto* view = new ChartView(chart, {}, &holder);
    holder.show();
    view->hide();
    s.add_value(3, "#1:a");
    s.add_value(4, "#1:b");
    view->sync();
    auto* drawn = qobject_cast<QPieSeries*>(view->chart()->series().value(0));
    EXPECT_TRUE(drawn == nullptr || drawn->count() == 0);
    view->show();
    drawn = qobject_cast<QPieSeries*>(view->chart()->series().value(0));
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(drawn->count(), 2);
}
