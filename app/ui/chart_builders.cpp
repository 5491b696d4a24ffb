// The builders of the chart view, one for each kind of chart: each fills the
// fresh QChart that ChartView::rebuild made from the model's series of its
// kind (bars are in chart_bars.cpp).

#include "app/ui/chart_parts.h"
#include "app/ui/chart_view.h"
#include "app/ui/gantt_item.h"
#include "app/ui/lines_item.h"
#include "chart/pie_slices.h"
#include "chart/plot_geometry.h"

#include <QCategoryAxis>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFontMetricsF>
#include <QLegend>
#include <QLineSeries>
#include <QPen>
#include <QPieSeries>
#include <QPieSlice>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kavro::ui {

// The point labels under a line chart: about twenty, each at its point's
// ordinal, and fewer where the plot is too narrow for twenty to stand apart
// (Qt Charts cuts a label to the room beside its neighbours, down to "...").
// Only the labels shown are made.
void ChartView::label_points() {
    auto* cat = point_axis_;
    if (!cat || labelling_) return;
    const Series* labelled = point_labels_of_ >= 0 && point_labels_of_ < model_->series_count()
                                 ? &model_->series(point_labels_of_)
                                 : nullptr;
    const int n = labelled ? labelled->point_count() : 0;
    const auto label = [&](int p) { return to_qstring(labelled->label(p)); };
    // Labels of another width shift the plot a little; only a plot of
    // another size by a tenth is labelled again, so the two never chase
    // each other.
    const double width = line_columns();
    if (point_label_step_ > 0 && std::abs(width - point_label_width_) < point_label_width_ * 0.1)
        return;
    point_label_width_ = width;
    int step = std::max(1, n / 20);
    if (n > 1) {
        // Qt Charts leaves a label turned by 45 degrees whole when the next
        // stands about its width and height away (seen on the ps and mpstat
        // time labels); the first and last label stand for the widest.
        const QFontMetricsF fm(cat->labelsFont());
        const qreal widest =
            std::max(fm.horizontalAdvance(label(0)), fm.horizontalAdvance(label(n - 1)));
        const double need = widest + fm.height() + 4;
        step = std::max<int>(step, static_cast<int>(label_step(width, n - 1, need)));
    }
    if (step == point_label_step_) return;
    point_label_step_ = step;
    labelling_ = true;
    for (const QString& old : cat->categoriesLabels()) cat->remove(old);
    QStringList shown;
    for (int k = 0; k < n; k += step) shown << label(k);
    shown = unique_labels(shown);
    for (int k = 0, i = 0; k < n; k += step, ++i) cat->append(shown[i], static_cast<qreal>(k));
    cat->setRange(0, std::max<qreal>(1, static_cast<qreal>(n - 1)));
    labelling_ = false;
}

// Every pie series as its largest slices and "Others (N)" (pie_slices).
void ChartView::build_pies(QChart* c) {
    for (int i = 0; i < model_->series_count(); ++i) {
        const Series& s = model_->series(i);
        if (s.kind() != SeriesKind::Pie) continue;
        // One append of the whole list: Qt Charts works out every
        // slice's angles again on each append.
        auto* pie = new QPieSeries();
        const PieSlices plan = pie_slices(s);
        QList<QPieSlice*> slices;
        slices.reserve(static_cast<qsizetype>(plan.slices.size()));
        for (std::size_t k = 0; k < plan.slices.size(); ++k) {
            const PieSlice& drawn = plan.slices[k];
            const QString label = drawn.point < 0 ? to_qstring(others_label(plan.others))
                                                  : to_qstring(s.label(drawn.point));
            auto* slice = new QPieSlice(label, drawn.value);
            slice->setProperty(kFullLabel, label);
            // Each drawn slice its own colour of the sequence; the
            // others in a grey the sequence does not have.
            slice->setColor(drawn.point < 0 ? QColor(0xC8, 0xC8, 0xC8)
                                            : to_qcolor(s.point_colour(drawn.point), k));
            slice->setLabelVisible(s.marks_visible());
            slice->setPen(QPen(Qt::white, 0.5));
            slices << slice;
        }
        pie->append(slices);
        pie->setVisible(s.active());
        c->addSeries(pie);
        drawn_[static_cast<std::size_t>(i)] = pie;
    }
    fit_pie_labels();
}

// The legend beside a pie gets two fifths of the chart's width; Qt Charts
// cuts what is longer at its end, which for the object pies is the object
// number. A label too long is cut in its middle instead, so that the cursor
// reference before and the object after both show; the hover text has it
// whole.
void ChartView::fit_pie_labels() {
    if (!chart()->legend()->isVisible()) return;
    const QMargins m = chart()->margins();
    const QFontMetricsF fm(chart()->legend()->font());
    // Less the marker, the spacing and the legend's own margins.
    const qreal room = (width() - m.left() - m.right()) * 0.4 - fm.height() - 31;
    for (QAbstractSeries* d : drawn_) {
        auto* pie = qobject_cast<QPieSeries*>(d);
        if (!pie) continue;
        for (QPieSlice* slice : pie->slices())
            slice->setLabel(fm.elidedText(slice->property(kFullLabel).toString(), Qt::ElideMiddle,
                                          std::max<qreal>(room, 40)));
    }
}

// The bars of every Gantt series on one time axis, drawn by a GanttItem.
void ChartView::build_gantt(QChart* c) {
    // The axes need a series; an invisible one spans the bars.
    double lo = std::numeric_limits<double>::max(), hi = std::numeric_limits<double>::lowest();
    double top = 0;
    std::vector<GanttBar> all;
    for (int i = 0; i < model_->series_count(); ++i) {
        const Series& s = model_->series(i);
        for (const GanttBar& b : s.bars()) {
            lo = std::min(lo, b.start);
            hi = std::max(hi, b.end);
            top = std::max(top, b.position);
            all.push_back(b);
        }
    }
    if (all.empty()) {
        lo = 0;
        hi = 1.0 / 24;
    }
    if (hi <= lo) hi = lo + 1.0 / 1440;
    auto* anchor = new QLineSeries();
    anchor->append(static_cast<qreal>(day_fraction_ms(lo)), -0.5);
    anchor->append(static_cast<qreal>(day_fraction_ms(hi)), top + 0.5);
    anchor->setPen(QPen(Qt::transparent));
    c->addSeries(anchor);
    auto* time = new QDateTimeAxis();
    time->setFormat("hh:mm:ss");
    time->setRange(QDateTime::fromMSecsSinceEpoch(day_fraction_ms(lo)),
                   QDateTime::fromMSecsSinceEpoch(day_fraction_ms(hi)));
    auto* rows = new QValueAxis();
    rows->setRange(-0.5, top + 0.5);
    rows->setLabelsVisible(false);
    rows->setGridLineVisible(false);
    c->addAxis(time, Qt::AlignBottom);
    c->addAxis(rows, Qt::AlignLeft);
    anchor->attachAxis(time);
    anchor->attachAxis(rows);
    c->legend()->setVisible(false);
    gantt_ = new GanttItem(c, anchor);
    gantt_->set_bars(std::move(all));
    connect(c, &QChart::plotAreaChanged, this, [this] {
        if (gantt_) gantt_->update();
    });
}

// The line series against a value axis (or the point labels of `labelled`
// on the bottom axis), one on the right for the series that ask for it: a
// Qt Charts series each while the chart's legend holds them, one LinesItem
// for them all past that.
void ChartView::build_lines(QChart* c, const Series* labelled, bool right_axis) {
    QValueAxis* bottom = nullptr;
    if (style_.labels_on_bottom_axis) {
        auto* cat = new QCategoryAxis();
        cat->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        cat->setLabelsAngle(-45);
        point_axis_ = cat;
        point_labels_of_ = labelled ? labelled->index() : -1;
        label_points();
        // A wider or narrower plot has room for more or fewer labels.
        connect(c, &QChart::plotAreaChanged, this, [this] { label_points(); });
        bottom = cat;
    } else {
        bottom = new QValueAxis();
        bottom->setLabelFormat("%.0f");
    }
    auto* left = new QValueAxis();
    left->setLabelFormat(style_.value_format);
    c->addAxis(bottom, Qt::AlignBottom);
    c->addAxis(left, Qt::AlignLeft);
    QValueAxis* right = nullptr;
    if (right_axis) {
        right = new QValueAxis();
        right->setLabelFormat(style_.value_format);
        c->addAxis(right, Qt::AlignRight);
    }
    bottom_axis_ = bottom;
    int line_count = 0;
    for (int i = 0; i < model_->series_count(); ++i)
        if (model_->series(i).kind() == SeriesKind::Line) ++line_count;
    if (line_count > kLegendInChart) {
        // The axes of a chart need a series attached; empty ones serve.
        for (QValueAxis* y : {left, right}) {
            if (!y) continue;
            auto* anchor = new QLineSeries();
            anchor->setPen(QPen(Qt::transparent));
            c->addSeries(anchor);
            anchor->attachAxis(bottom);
            anchor->attachAxis(y);
        }
        c->legend()->setVisible(false); // the scrolling legend lists the series
        fit_line_axes(c, *model_, !style_.labels_on_bottom_axis);
        lines_ = new LinesItem(c, *model_, bottom, left, right, style_.mouse_zoom);
        // Zoom, scroll and a resized plot move the axes or the plot: the
        // item recomputes its lines when it is painted next.
        for (QValueAxis* axis : {bottom, left, right})
            if (axis)
                connect(axis, &QValueAxis::rangeChanged, this, [this] {
                    if (lines_) lines_->update();
                });
        connect(c, &QChart::plotAreaChanged, this, [this] {
            if (lines_) lines_->update();
        });
        place_notes();
        return;
    }
    filled_.assign(static_cast<std::size_t>(model_->series_count()), 0);
    for (int i = 0; i < model_->series_count(); ++i) {
        const Series& s = model_->series(i);
        if (s.kind() != SeriesKind::Line) continue;
        auto* line = new QLineSeries();
        line->setName(to_qstring(s.title()));
        line->setColor(to_qcolor(s.colour(), static_cast<std::size_t>(i)));
        line->setPointLabelsFormat("@yPoint");
        line->setPointLabelsVisible(s.marks_visible());
        // Only a chart the mouse zooms has points outside its plot; elsewhere
        // clipping would only cut the labels of the first and last points.
        line->setPointLabelsClipping(style_.mouse_zoom);
        if (s.point_count() <= 200) line->setPointsVisible(true);
        c->addSeries(line);
        line->attachAxis(bottom);
        line->attachAxis(s.right_axis() && right ? right : left);
        line->setVisible(s.active());
        drawn_[static_cast<std::size_t>(i)] = line;
    }
    fit_line_axes(c, *model_, !style_.labels_on_bottom_axis);
    fill_lines(false);
    // A zoom or scroll shows another part of the lines, a wider plot has
    // room for more points: the shown series get the points for that.
    connect(bottom, &QValueAxis::rangeChanged, this, [this] { fill_lines(false); });
    connect(c, &QChart::plotAreaChanged, this, [this] {
        if (chart()->plotArea().width() > filled_width_ * 1.1) fill_lines(false);
    });
    place_notes();
}

double ChartView::line_columns() const {
    const qreal plot = chart()->plotArea().width();
    return std::max<double>(100, plot > 10 ? plot : width() - 100);
}

// The shown line series get the points of the bottom axis's range that a
// pixel column can show; hidden ones carry none until they are shown (or,
// with `only_new`, only series shown since the last fill get theirs).
void ChartView::fill_lines(bool only_new) {
    if (lines_ || !bottom_axis_ || filling_) return;
    filling_ = true;
    const double columns = line_columns();
    if (!only_new) filled_width_ = columns;
    for (int i = 0; i < model_->series_count() && i < static_cast<int>(drawn_.size()); ++i) {
        auto* line = qobject_cast<QLineSeries*>(drawn_[static_cast<std::size_t>(i)]);
        if (!line) continue;
        const Series& s = model_->series(i);
        char& filled = filled_[static_cast<std::size_t>(i)];
        if (!s.active()) {
            if (filled && !only_new) {
                line->clear();
                filled = 0;
            }
            continue;
        }
        if (only_new && filled) continue;
        line->replace(line_points(s, bottom_axis_->min(), bottom_axis_->max(), columns));
        filled = 1;
    }
    filling_ = false;
}

} // namespace kavro::ui
