#include "app/ui/chart_view.h"

#include "app/ui/chart_legend.h"
#include "app/ui/chart_parts.h"
#include "app/ui/gantt_item.h"
#include "app/ui/lines_item.h"
#include "chart/pie_slices.h"

#include <QGraphicsLayout>
#include <QGraphicsSimpleTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListView>
#include <QPieSeries>

#include <algorithm>

namespace kavro::ui {

QColor to_qcolor(Colour c, std::size_t ordinal) {
    if ((c >> 24) == 0) c = Chart::palette(ordinal);
    return QColor::fromRgb(c & 0xFFFFFFu);
}

namespace {
constexpr int kSideLegendWidth = 220;
} // namespace

ChartView::ChartView(const Chart& model, ChartStyle style, QWidget* parent)
    : QChartView(parent), model_(&model), style_(std::move(style)) {
    setRenderHint(QPainter::Antialiasing, false);
    chart()->setMargins(style_.margins);
    chart()->setBackgroundRoundness(0);
    chart()->layout()->setContentsMargins(0, 0, 0, 0);
    if (style_.mouse_zoom) {
        setRubberBand(QChartView::RectangleRubberBand);
        // The right button scrolls; a right click without a drag opens the
        // menu from mouseReleaseEvent.
        setContextMenuPolicy(Qt::PreventContextMenu);
    }
    setMouseTracking(true);
    for (const QString& note : style_.notes) {
        auto* item = new QGraphicsSimpleTextItem(note, chart());
        item->setBrush(style_.notes_colour);
        item->setZValue(20);
        note_items_.push_back(item);
    }
    sync();
}

bool ChartView::same_shape() const {
    if (static_cast<int>(cached_.size()) != model_->series_count()) return false;
    for (int i = 0; i < model_->series_count(); ++i) {
        const Series& s = model_->series(i);
        if (cached_[static_cast<std::size_t>(i)].data_revision != s.data_revision() ||
            cached_[static_cast<std::size_t>(i)].kind != s.kind())
            return false;
    }
    return true;
}

void ChartView::sync() {
    if (model_->revision() == revision_) return;
    // A chart nobody sees (a hidden view or tab) is brought up to date when
    // it is shown: the trace page's four pies and plan chart are not built
    // again on every cursor pick while the timeline is in front.
    if (!isVisible()) return;
    revision_ = model_->revision();
    if (same_shape() && !drawn_.empty()) {
        update_flags();
    } else {
        rebuild();
        connect_hover();
        fill_side_legend();
    }
    // A hidden series keeps its place in the legend, greyed.
    for (std::size_t i = 0; i < drawn_.size(); ++i) {
        auto* line = qobject_cast<QLineSeries*>(drawn_[i]);
        if (!line) continue;
        for (QLegendMarker* m : chart()->legend()->markers(line)) {
            m->setVisible(true);
            m->setLabelBrush(line->isVisible() ? QBrush(Qt::black) : QBrush(Qt::gray));
        }
    }
    if (side_legend_ && !side_legend_->isHidden()) legend_model_->flags_changed();
    apply_view3d();
    if (lines_) {
        // The plot's place comes from the chart's layout, which would run
        // only when the window next takes events.
        chart()->layout()->activate();
        lines_->prepare(devicePixelRatioF());
    }
}

void ChartView::update_flags() {
    QString title;
    for (std::size_t i = 0; i < model_->title().size(); ++i)
        title += (i ? "\n" : "") + to_qstring(model_->title()[i]);
    chart()->setTitle(title);
    bool bars_changed = false, lines_shown_changed = false;
    for (int i = 0; i < model_->series_count(); ++i) {
        const Series& s = model_->series(i);
        QAbstractSeries* d = drawn_[static_cast<std::size_t>(i)];
        if (auto* line = qobject_cast<QLineSeries*>(d)) {
            lines_shown_changed |= line->isVisible() != s.active();
            line->setVisible(s.active());
            line->setColor(to_qcolor(s.colour(), static_cast<std::size_t>(i)));
            line->setPointLabelsVisible(s.marks_visible());
        } else if (d && !qobject_cast<QPieSeries*>(d)) {
            bars_changed = true;
        }
    }
    if (bars_changed) {
        rebuild();
    } else if (lines_) {
        fit_line_axes(chart(), *model_, !style_.labels_on_bottom_axis);
        lines_->invalidate();
    } else if (lines_shown_changed) {
        fit_line_axes(chart(), *model_, !style_.labels_on_bottom_axis);
        fill_lines(true);
    }
}

void ChartView::rebuild() {
    if (gantt_) {
        delete gantt_;
        gantt_ = nullptr;
    }
    // The items and axes go with the old chart.
    lines_ = nullptr;
    bottom_axis_ = nullptr;
    point_axis_ = nullptr;
    point_labels_of_ = -1;
    point_label_step_ = 0;
    // A fresh chart each time: removing the axes of a chart leaves their
    // labels and title standing on the scene in some cases, where they show
    // through the new ones.
    QChart* old = chart();
    auto* c = new QChart();
    c->setMargins(style_.margins);
    c->setBackgroundRoundness(0);
    c->layout()->setContentsMargins(0, 0, 0, 0);
    if (style_.grouped_numbers) {
        c->setLocalizeNumbers(true);
        c->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    for (QGraphicsSimpleTextItem* item : note_items_) item->setParentItem(c);
    setChart(c);
    delete old;
    if (!note_items_.empty()) connect(c, &QChart::plotAreaChanged, this, [this] { place_notes(); });
    drawn_.assign(static_cast<std::size_t>(model_->series_count()), nullptr);
    cached_.clear();
    bar_series_ = nullptr;
    bar_axis_ = nullptr;
    bar_labels_ = nullptr;

    QString title;
    for (std::size_t i = 0; i < model_->title().size(); ++i)
        title += (i ? "\n" : "") + to_qstring(model_->title()[i]);
    c->setTitle(title);
    c->legend()->setVisible(style_.legend);
    c->legend()->setAlignment(style_.legend_alignment);
    c->legend()->setShowToolTips(true); // the full text of a label cut to fit
    if (style_.legend_font) c->legend()->setFont(*style_.legend_font);

    bool any_bar = false, any_hbar = false, any_pie = false, any_gantt = false, any_right = false;
    for (int i = 0; i < model_->series_count(); ++i) {
        const Series& s = model_->series(i);
        cached_.push_back({s.data_revision(), s.kind()});
        switch (s.kind()) {
        case SeriesKind::Line:
            any_right |= s.right_axis();
            break;
        case SeriesKind::Bar:
            any_bar = true;
            break;
        case SeriesKind::HorizBar:
            any_hbar = true;
            break;
        case SeriesKind::Pie:
            any_pie = true;
            break;
        case SeriesKind::Gantt:
            any_gantt = true;
            break;
        }
    }

    // Labels of the longest series name the bottom categories.
    const Series* longest = nullptr;
    for (int i = 0; i < model_->series_count(); ++i) {
        const Series& s = model_->series(i);
        if (s.kind() == SeriesKind::Pie || s.kind() == SeriesKind::Gantt) continue;
        if (!longest || s.point_count() > longest->point_count()) longest = &s;
    }
    // One kind a chart: pies, bars, Gantt bars, or lines (also an empty
    // chart, which still shows its axes).
    if (any_pie)
        build_pies(c);
    else if (any_bar || any_hbar)
        build_bars(c, longest, any_hbar);
    else if (any_gantt)
        build_gantt(c);
    else
        build_lines(c, longest, any_right);
}

void ChartView::fill_side_legend() {
    // Pies draw at most kPieSlices slices, which the chart's own legend holds.
    static_assert(kPieSlices <= kLegendInChart);
    int entries = 0;
    for (int i = 0; i < model_->series_count(); ++i) {
        const SeriesKind kind = model_->series(i).kind();
        if (kind != SeriesKind::Gantt && kind != SeriesKind::Pie) ++entries;
    }
    const bool side = style_.legend && entries > kLegendInChart;
    if (!side) {
        if (side_legend_) side_legend_->hide();
        return;
    }
    chart()->legend()->setVisible(false);
    QMargins m = chart()->margins();
    m.setRight(m.right() + kSideLegendWidth + 6);
    chart()->setMargins(m);
    if (!side_legend_) {
        legend_model_ = new ChartLegendModel(*model_, this);
        side_legend_ = new QListView(this);
        side_legend_->setModel(legend_model_);
        side_legend_->setUniformItemSizes(true);
        side_legend_->setSelectionMode(QAbstractItemView::NoSelection);
        side_legend_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        side_legend_->setFocusPolicy(Qt::NoFocus);
        if (style_.legend_font) side_legend_->setFont(*style_.legend_font);
    }
    legend_model_->refresh();
    side_legend_->show();
    place_side_legend();
}

void ChartView::place_side_legend() {
    if (!side_legend_ || side_legend_->isHidden()) return;
    const QRect r = viewport()->geometry();
    side_legend_->setGeometry(r.right() - kSideLegendWidth - 2, r.top() + 24, kSideLegendWidth,
                              std::max(40, r.height() - 48));
}

QStringList ChartView::side_legend_entries() const {
    QStringList out;
    if (!side_legend_ || side_legend_->isHidden()) return out;
    for (int i = 0; i < legend_model_->rowCount(); ++i)
        out << legend_model_->data(legend_model_->index(i), Qt::DisplayRole).toString();
    return out;
}

void ChartView::apply_view3d() {
    QTransform t;
    const View3D& o = model_->options();
    if (model_->view3d()) {
        const QRectF r = chart()->rect();
        const qreal cx = r.width() / 2, cy = r.height() / 2;
        t.translate(o.horiz_offset, o.vert_offset);
        t.translate(cx, cy);
        if (!o.orthogonal) {
            // QTransform projects from a fixed 1024 pixels, which blows the
            // near side of a wide chart up past the view; scaling around the
            // rotation sets the eye's distance from the perspective option
            // instead, and the rotated chart is shrunk to fit its view. A
            // flat picture seen edge-on shows nothing, so the turn is drawn
            // at five sixths of the angle: 270 shows it at 75 degrees.
            const qreal k = r.width() * 100.0 / (2 * std::clamp(o.perspective, 1, 90)) / 1024.0;
            QTransform rot;
            rot.scale(k, k);
            rot.rotate((o.rotation - 360) * 5.0 / 6.0, Qt::YAxis);
            rot.scale(1 / k, 1 / k);
            const QRectF b = rot.mapRect(QRectF(-cx, -cy, r.width(), r.height()));
            const qreal fit = std::min({qreal(1), r.width() / std::max(b.width(), qreal(1)),
                                        r.height() / std::max(b.height(), qreal(1))});
            t.scale(fit, fit);
            t = rot * t;
        }
        t.scale(o.zoom / 100.0, o.zoom / 100.0);
        t.translate(-cx, -cy);
    }
    chart()->setTransform(t);
}

void ChartView::place_notes() {
    const QRectF plot = chart()->plotArea();
    // Above the plot when the chart's margin leaves room, so the notes never
    // cover a bar; inside its top right corner otherwise.
    qreal total = 0;
    for (QGraphicsSimpleTextItem* item : note_items_) total += item->boundingRect().height();
    qreal y =
        plot.top() - chart()->rect().top() >= total + 2 ? plot.top() - total - 1 : plot.top() + 4;
    for (QGraphicsSimpleTextItem* item : note_items_) {
        item->setPos(plot.right() - item->boundingRect().width() - 6, y);
        y += item->boundingRect().height();
    }
}

void ChartView::showEvent(QShowEvent* event) {
    QChartView::showEvent(event);
    sync();
}

void ChartView::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    fit_pie_labels();
    apply_view3d();
    place_notes();
    place_side_legend();
}

} // namespace kavro::ui
