#include "app/ui/chart_view.h"

#include "app/ui/table_model.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QGraphicsLayout>
#include <QGraphicsSimpleTextItem>
#include <QHorizontalBarSeries>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPieSeries>
#include <QPieSlice>
#include <QSvgGenerator>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace kavro::ui {

QColor to_qcolor(Colour c, std::size_t ordinal) {
    if ((c >> 24) == 0) c = Chart::palette(ordinal);
    return QColor::fromRgb(c & 0xFFFFFFu);
}

namespace {

constexpr int kDecimateAbove = 4000;
constexpr int kBuckets = 2000;
// Past this many entries the chart's own legend would squeeze the plot; a
// scrolling list beside it takes over.
constexpr int kLegendInChart = 24;
constexpr int kSideLegendWidth = 220;
// Vertical bar charts label every k-th bar when there are more than this.
constexpr int kBarLabels = 16;

// A time of day (fraction of a day) as milliseconds on a fixed local day, the
// scale a date-time axis reads.
qint64 day_fraction_ms(double fraction) {
    static const qint64 base = QDateTime(QDate(2000, 1, 1), QTime(0, 0)).toMSecsSinceEpoch();
    return base + static_cast<qint64>(std::llround(fraction * 86400000.0));
}

// Category axes reject repeated texts; a repeated label gets zero-width
// spaces appended, which a reader does not see. Axis labels are drawn as
// rich text, which folds runs of blanks into one; no-break spaces keep the
// indentation and padding of plan operations.
QStringList unique_labels(const QStringList& labels) {
    QStringList out;
    std::unordered_map<QString, int> seen;
    for (QString l : labels) {
        l.replace(QChar(' '), QChar(0x00A0));
        int& n = seen[l];
        out << (n == 0 ? l : l + QString(n, QChar(0x200B)));
        ++n;
    }
    return out;
}

QList<QPointF> line_points(const Series& s) {
    const auto& pts = s.points();
    QList<QPointF> out;
    if (static_cast<int>(pts.size()) <= kDecimateAbove) {
        out.reserve(static_cast<qsizetype>(pts.size()));
        for (const Point& p : pts) out.append(QPointF(p.x, p.y));
        return out;
    }
    // Min and max of each x bucket, in x order, so peaks survive.
    const double lo = pts.front().x, hi = pts.back().x;
    const double width = hi > lo ? (hi - lo) / kBuckets : 1;
    out.reserve(kBuckets * 2 + 2);
    std::size_t i = 0;
    while (i < pts.size()) {
        const auto bucket = static_cast<long long>((pts[i].x - lo) / width);
        std::size_t j = i, min_at = i, max_at = i;
        while (j < pts.size() && static_cast<long long>((pts[j].x - lo) / width) == bucket) {
            if (pts[j].y < pts[min_at].y) min_at = j;
            if (pts[j].y > pts[max_at].y) max_at = j;
            ++j;
        }
        const std::size_t a = std::min(min_at, max_at), b = std::max(min_at, max_at);
        out.append(QPointF(pts[a].x, pts[a].y));
        if (b != a) out.append(QPointF(pts[b].x, pts[b].y));
        i = j;
    }
    return out;
}

// Fits the value axes of a line chart to the series that are drawn, so that
// hiding most lines shows the rest at full height.
void fit_line_axes(QChart* c, const Chart& model, bool value_bottom) {
    double xlo = std::numeric_limits<double>::max(), xhi = std::numeric_limits<double>::lowest();
    double llo = 0, lhi = 0, rlo = 0, rhi = 0;
    for (int i = 0; i < model.series_count(); ++i) {
        const Series& s = model.series(i);
        if (s.kind() != SeriesKind::Line || !s.active()) continue;
        double& lo = s.right_axis() ? rlo : llo;
        double& hi = s.right_axis() ? rhi : lhi;
        for (const Point& p : s.points()) {
            xlo = std::min(xlo, p.x);
            xhi = std::max(xhi, p.x);
            lo = std::min(lo, p.y);
            hi = std::max(hi, p.y);
        }
    }
    for (QAbstractAxis* axis : c->axes()) {
        auto* v = qobject_cast<QValueAxis*>(axis);
        if (!v) continue;
        if (axis->alignment() == Qt::AlignBottom) {
            if (!value_bottom) continue;
            if (xlo > xhi) xlo = 0, xhi = 1;
            if (xhi <= xlo) xhi = xlo + 1;
            v->setRange(xlo, xhi);
        } else if (axis->alignment() == Qt::AlignLeft) {
            v->setRange(llo, lhi > llo ? lhi * 1.05 : llo + 1);
            v->applyNiceNumbers();
        } else if (axis->alignment() == Qt::AlignRight) {
            v->setRange(rlo, rhi > rlo ? rhi * 1.05 : rlo + 1);
            v->applyNiceNumbers();
        }
    }
}

} // namespace

// Gantt bars drawn straight onto the chart's scene against its axes.
class GanttItem : public QGraphicsItem {
public:
    GanttItem(QChart* chart, QAbstractSeries* anchor)
        : QGraphicsItem(chart), chart_(chart), anchor_(anchor) {
        setZValue(10);
    }
    void set_bars(std::vector<GanttBar> bars) {
        prepareGeometryChange();
        bars_ = std::move(bars);
        update();
    }
    QRectF boundingRect() const override { return chart_->plotArea(); }
    QRectF bar_rect(const GanttBar& b) const {
        const QRectF plot = chart_->plotArea();
        const QPointF a = chart_->mapToPosition(
            QPointF(static_cast<qreal>(day_fraction_ms(b.start)), b.position - 0.35), anchor_);
        const QPointF z = chart_->mapToPosition(
            QPointF(static_cast<qreal>(day_fraction_ms(b.end)), b.position + 0.35), anchor_);
        QRectF r = QRectF(a, z).normalized();
        if (r.width() < 3) r.setWidth(3); // a process seen once still shows
        // Bars of processes still running at the last snapshot end on the
        // plot's right edge: keep such a bar inside, and put its label to the
        // left of the bar (or inside it) where the right has no room.
        if (r.right() > plot.right()) r.moveRight(plot.right());
        return r;
    }
    // The bar under a point of the chart, for the hover text.
    const GanttBar* bar_at(QPointF chart_pos) const {
        for (const GanttBar& b : bars_)
            if (bar_rect(b).adjusted(-1, -1, 1, 1).contains(chart_pos)) return &b;
        return nullptr;
    }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        painter->save();
        const QRectF plot = chart_->plotArea();
        painter->setClipRect(plot);
        QFontMetrics fm(painter->font());
        for (std::size_t i = 0; i < bars_.size(); ++i) {
            const GanttBar& b = bars_[i];
            const QRectF r = bar_rect(b);
            const QColor colour = to_qcolor(b.colour, i);
            painter->fillRect(r, colour);
            painter->setPen(colour.darker(150));
            painter->drawRect(r);
            painter->setPen(Qt::black);
            const QString label = to_qstring(b.label);
            const qreal width = fm.horizontalAdvance(label);
            qreal x = r.right() + 3;
            if (x + width > plot.right())
                x = r.left() - 3 - width >= plot.left() ? r.left() - 3 - width : r.left() + 3;
            if (r.height() >= fm.height() * 0.8)
                painter->drawText(QPointF(x, r.center().y() + fm.ascent() / 2.0 - 1), label);
        }
        painter->restore();
    }

private:
    QChart* chart_;
    QAbstractSeries* anchor_;
    std::vector<GanttBar> bars_;
};

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
    if (side_legend_) {
        for (int i = 0; i < side_legend_->count() && i < model_->series_count(); ++i) {
            if (model_->series(0).kind() == SeriesKind::Pie) break;
            side_legend_->item(i)->setForeground(model_->series(i).active() ? Qt::black : Qt::gray);
        }
    }
    apply_view3d();
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
    if (bars_changed)
        rebuild();
    else if (lines_shown_changed)
        fit_line_axes(chart(), *model_, !style_.labels_on_bottom_axis);
}

void ChartView::rebuild() {
    if (gantt_) {
        delete gantt_;
        gantt_ = nullptr;
    }
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
    categories_.clear();

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
    QStringList labels;
    if (longest)
        for (int p = 0; p < longest->point_count(); ++p) labels << to_qstring(longest->label(p));

    if (any_pie) {
        for (int i = 0; i < model_->series_count(); ++i) {
            const Series& s = model_->series(i);
            if (s.kind() != SeriesKind::Pie) continue;
            auto* pie = new QPieSeries();
            for (int p = 0; p < s.point_count(); ++p) {
                auto* slice = pie->append(to_qstring(s.label(p)), std::max(0.0, s.value(p)));
                slice->setColor(to_qcolor(s.point_colour(p), static_cast<std::size_t>(p)));
                slice->setLabelVisible(s.marks_visible());
                slice->setPen(QPen(Qt::white, 0.5));
            }
            pie->setVisible(s.active());
            c->addSeries(pie);
            drawn_[static_cast<std::size_t>(i)] = pie;
        }
        return;
    }

    if (any_bar || any_hbar) {
        QAbstractBarSeries* bars =
            any_hbar ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries())
                     : static_cast<QAbstractBarSeries*>(new QBarSeries());
        // Qt Charts cannot reverse a bar chart's category axis, so an inverted
        // axis is drawn by handing the bars over last first. A paged chart
        // gets empty rows up to a full page, so its bars keep their height.
        const bool flip = any_hbar && style_.inverted_category_axis;
        const qsizetype bar_rows = std::max<qsizetype>(labels.size(), style_.bars_per_page);
        const auto source = [&](qsizetype k) { return flip ? bar_rows - 1 - k : k; };
        bool marks = false;
        for (int i = 0; i < model_->series_count(); ++i) {
            const Series& s = model_->series(i);
            if (s.kind() != SeriesKind::Bar && s.kind() != SeriesKind::HorizBar) continue;
            auto* set = new QBarSet(to_qstring(s.title()));
            Colour colour = s.colour();
            if (s.point_count() > 0 && (s.point_colour(0) >> 24) != 0) colour = s.point_colour(0);
            set->setColor(to_qcolor(colour, static_cast<std::size_t>(i)));
            set->setBorderColor(to_qcolor(colour, static_cast<std::size_t>(i)).darker(130));
            for (qsizetype k = 0; k < std::max<qsizetype>(bar_rows, s.point_count()); ++k) {
                const auto p = static_cast<int>(source(k));
                set->append(s.active() && p >= 0 && p < s.point_count() ? s.value(p) : 0.0);
            }
            marks |= s.marks_visible();
            bars->append(set);
            drawn_[static_cast<std::size_t>(i)] = bars;
        }
        bars->setLabelsVisible(marks);
        if (any_hbar) bars->setBarWidth(0.3); // bars offset by 70 percent of their room
        c->addSeries(bars);
        QStringList slot_labels;
        for (qsizetype k = 0; k < bar_rows; ++k) {
            const qsizetype j = source(k);
            // Qt drops a null category, which would shift every bar.
            slot_labels << (j < labels.size() ? labels[j] : QString(QChar(0x00A0)));
        }
        categories_ = unique_labels(slot_labels);
        if (categories_.isEmpty()) categories_ << QString();
        auto* cat = new QBarCategoryAxis();
        cat->append(categories_);
        if (style_.category_font) cat->setLabelsFont(*style_.category_font);
        cat->setLabelsColor(style_.category_colour);
        auto* values = new QValueAxis();
        values->setLabelFormat(style_.value_format);
        if (!style_.value_axis_title.isEmpty()) values->setTitleText(style_.value_axis_title);
        if (any_hbar) {
            c->addAxis(cat, Qt::AlignLeft);
            c->addAxis(values, Qt::AlignBottom);
        } else {
            cat->setLabelsAngle(categories_.size() > 12 ? -90 : 0);
            c->addAxis(cat, Qt::AlignBottom);
            c->addAxis(values, Qt::AlignLeft);
        }
        bars->attachAxis(cat);
        bars->attachAxis(values);
        double lo = 0, hi = 0;
        for (QBarSet* set : bars->barSets())
            for (int k = 0; k < set->count(); ++k) {
                lo = std::min(lo, set->at(k));
                hi = std::max(hi, set->at(k));
            }
        values->setRange(lo, hi > lo ? hi * 1.05 : lo + 1);
        first_bar_ =
            std::clamp(first_bar_, 0, std::max<int>(0, static_cast<int>(categories_.size()) - 1));
        apply_bar_page();
        c->legend()->setVisible(style_.legend);
        return;
    }

    if (any_gantt) {
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
        return;
    }

    // Line charts (also an empty chart, which still shows its axes).
    QAbstractAxis* bottom = nullptr;
    if (style_.labels_on_bottom_axis) {
        auto* cat = new QCategoryAxis();
        cat->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        const QStringList unique = unique_labels(labels);
        const qsizetype n = unique.size();
        const qsizetype step = std::max<qsizetype>(1, n / 20);
        for (qsizetype k = 0; k < n; k += step) cat->append(unique[k], static_cast<qreal>(k));
        cat->setRange(0, std::max<qreal>(1, static_cast<qreal>(n - 1)));
        cat->setLabelsAngle(-45);
        bottom = cat;
    } else {
        auto* axis = new QValueAxis();
        axis->setLabelFormat("%.0f");
        bottom = axis;
    }
    auto* left = new QValueAxis();
    left->setLabelFormat(style_.value_format);
    c->addAxis(bottom, Qt::AlignBottom);
    c->addAxis(left, Qt::AlignLeft);
    QValueAxis* right = nullptr;
    if (any_right) {
        right = new QValueAxis();
        right->setLabelFormat(style_.value_format);
        c->addAxis(right, Qt::AlignRight);
    }
    for (int i = 0; i < model_->series_count(); ++i) {
        const Series& s = model_->series(i);
        if (s.kind() != SeriesKind::Line) continue;
        auto* line = new QLineSeries();
        line->setName(to_qstring(s.title()));
        line->setColor(to_qcolor(s.colour(), static_cast<std::size_t>(i)));
        const QList<QPointF> pts = line_points(s);
        line->replace(pts);
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
    place_notes();
}

bool ChartView::zoomable() const {
    for (int i = 0; i < model_->series_count(); ++i)
        if (model_->series(i).kind() == SeriesKind::Pie) return false;
    return !style_.mouse_zoom;
}

void ChartView::show_tooltip(const QString& text) {
    QToolTip::showText(QCursor::pos(), text, this);
}

namespace {
QString plain(QString label) {
    label.remove(QChar(0x200B));
    label.replace(QChar(0x00A0), QChar(' '));
    return label.trimmed();
}
QString number(double v) {
    return QString::number(v, 'g', 12);
}
} // namespace

void ChartView::connect_hover() {
    QAbstractBarSeries* bars_done = nullptr;
    for (std::size_t i = 0; i < drawn_.size(); ++i) {
        QAbstractSeries* d = drawn_[i];
        const int index = static_cast<int>(i);
        if (auto* line = qobject_cast<QLineSeries*>(d)) {
            connect(line, &QXYSeries::hovered, this, [this, index](const QPointF& at, bool state) {
                if (!state || index >= model_->series_count()) return QToolTip::hideText();
                const Series& s = model_->series(index);
                const auto& pts = s.points();
                if (pts.empty()) return;
                // The nearest point of the model by x (points keep x order).
                auto it = std::lower_bound(pts.begin(), pts.end(), at.x(),
                                           [](const Point& p, double x) { return p.x < x; });
                if (it == pts.end() ||
                    (it != pts.begin() && at.x() - std::prev(it)->x < it->x - at.x()))
                    it = std::prev(it == pts.end() ? pts.end() : it);
                const int k = static_cast<int>(it - pts.begin());
                QString text = to_qstring(s.title());
                const QString label = to_qstring(s.label(k));
                if (!label.isEmpty()) text += "\n" + label;
                text += "\n" + number(it->y);
                if (label.isEmpty()) text += "  (at " + number(it->x) + ")";
                show_tooltip(text);
            });
        } else if (auto* pie = qobject_cast<QPieSeries*>(d)) {
            connect(pie, &QPieSeries::hovered, this, [this](QPieSlice* slice, bool state) {
                if (!state) return QToolTip::hideText();
                show_tooltip(slice->label() + "\n" + number(slice->value()) + "  (" +
                             QString::number(slice->percentage() * 100, 'f', 1) + "%)");
            });
        } else if (auto* bars = qobject_cast<QAbstractBarSeries*>(d); bars && bars != bars_done) {
            bars_done = bars;
            connect(bars, &QAbstractBarSeries::hovered, this,
                    [this](bool state, int at, QBarSet* set) {
                        if (!state || !set) return QToolTip::hideText();
                        QString text = set->label();
                        if (at >= 0 && at < categories_.size() && !plain(categories_[at]).isEmpty())
                            text += (text.isEmpty() ? "" : "\n") + plain(categories_[at]);
                        show_tooltip(text + "\n" + number(set->at(at)));
                    });
        }
    }
}

void ChartView::fill_side_legend() {
    // Entries the chart's own legend would show: series titles, or a pie's
    // slices.
    QStringList entries;
    std::vector<QColor> colours;
    for (int i = 0; i < model_->series_count(); ++i) {
        const Series& s = model_->series(i);
        if (s.kind() == SeriesKind::Gantt) continue;
        if (s.kind() == SeriesKind::Pie) {
            for (int p = 0; p < s.point_count(); ++p) {
                entries << to_qstring(s.label(p));
                colours.push_back(to_qcolor(s.point_colour(p), static_cast<std::size_t>(p)));
            }
        } else {
            entries << to_qstring(s.title());
            colours.push_back(to_qcolor(s.colour(), static_cast<std::size_t>(i)));
        }
    }
    const bool side = style_.legend && entries.size() > kLegendInChart;
    if (!side) {
        if (side_legend_) side_legend_->hide();
        return;
    }
    chart()->legend()->setVisible(false);
    QMargins m = chart()->margins();
    m.setRight(m.right() + kSideLegendWidth + 6);
    chart()->setMargins(m);
    if (!side_legend_) {
        side_legend_ = new QListWidget(this);
        side_legend_->setUniformItemSizes(true);
        side_legend_->setSelectionMode(QAbstractItemView::NoSelection);
        side_legend_->setFocusPolicy(Qt::NoFocus);
        if (style_.legend_font) side_legend_->setFont(*style_.legend_font);
    }
    side_legend_->clear();
    side_legend_->addItems(entries);
    for (int i = 0; i < side_legend_->count(); ++i) {
        QPixmap swatch(10, 10);
        swatch.fill(colours[static_cast<std::size_t>(i)]);
        side_legend_->item(i)->setIcon(QIcon(swatch));
        side_legend_->item(i)->setToolTip(entries[i]);
    }
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
    for (int i = 0; i < side_legend_->count(); ++i) out << side_legend_->item(i)->text();
    return out;
}

bool ChartView::save_image(const QString& file) {
    if (file.endsWith(".svg", Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(file);
        svg.setSize(size());
        svg.setViewBox(rect());
        svg.setTitle(chart()->title());
        QPainter painter;
        if (!painter.begin(&svg)) return false;
        render(&painter);
        return painter.end();
    }
    return grab().save(file, "PNG");
}

void ChartView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* save = menu.addAction("Save Image...");
    if (menu.exec(event->globalPos()) != save) return;
    QString name = QFileDialog::getSaveFileName(this, "Save Image", objectName() + ".png",
                                                "PNG image (*.png);;SVG image (*.svg)");
    if (name.isEmpty()) return;
    if (!name.endsWith(".png", Qt::CaseInsensitive) && !name.endsWith(".svg", Qt::CaseInsensitive))
        name += ".png";
    if (!save_image(name)) QMessageBox::warning(this, "Kavro", "Cannot write " + name);
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    // Back to the whole chart: a rebuild fits every axis again.
    if (zoomable() || style_.mouse_zoom) {
        first_bar_ = 0;
        revision_ = ~std::uint64_t(0);
        cached_.clear();
        sync();
        event->accept();
        return;
    }
    QChartView::mouseDoubleClickEvent(event);
}

void ChartView::apply_bar_page() {
    if (style_.bars_per_page <= 0 || categories_.isEmpty()) return;
    auto axes = chart()->axes(Qt::Vertical);
    for (QAbstractAxis* axis : axes) {
        if (auto* cat = qobject_cast<QBarCategoryAxis*>(axis)) {
            const int n = static_cast<int>(categories_.size());
            const int last = std::min<int>(first_bar_ + style_.bars_per_page - 1, n - 1);
            // first_bar_ counts from the top of an inverted axis.
            if (style_.inverted_category_axis)
                cat->setRange(categories_[n - 1 - last], categories_[n - 1 - first_bar_]);
            else
                cat->setRange(categories_[first_bar_], categories_[last]);
        }
    }
}

void ChartView::scroll_bars(int delta) {
    if (style_.bars_per_page <= 0 || categories_.isEmpty()) return;
    const int max_first =
        std::max<int>(0, static_cast<int>(categories_.size()) - style_.bars_per_page);
    const int next = std::clamp(first_bar_ + delta, 0, max_first);
    if (next == first_bar_) return;
    first_bar_ = next;
    apply_bar_page();
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

void ChartView::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    apply_view3d();
    place_notes();
    place_side_legend();
}

void ChartView::mousePressEvent(QMouseEvent* event) {
    if (style_.mouse_zoom && event->button() == Qt::RightButton) {
        right_dragging_ = true;
        right_moved_ = false;
        drag_from_ = event->pos();
        event->accept();
        return;
    }
    if (zoomable() && event->button() == Qt::LeftButton) {
        panning_ = true;
        drag_from_ = event->pos();
        setCursor(Qt::ClosedHandCursor);
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    if (right_dragging_) {
        const QPoint d = event->pos() - drag_from_;
        if (d.manhattanLength() > 3) right_moved_ = true;
        if (style_.bars_per_page > 0) {
            const qreal row = chart()->plotArea().height() / std::max(1, style_.bars_per_page);
            const int rows = static_cast<int>(d.y() / std::max<qreal>(1, row));
            if (rows != 0) {
                scroll_bars(-rows);
                drag_from_ = event->pos();
            }
        } else {
            chart()->scroll(-d.x(), d.y());
            drag_from_ = event->pos();
        }
        event->accept();
        return;
    }
    if (panning_) {
        const QPoint d = event->pos() - drag_from_;
        chart()->scroll(-d.x(), d.y());
        drag_from_ = event->pos();
        event->accept();
        return;
    }
    if (gantt_) {
        const QPointF at = chart()->mapFromScene(mapToScene(event->pos()));
        if (const GanttBar* b = gantt_->bar_at(at)) {
            const auto time = [](double day) {
                return QTime(0, 0)
                    .addMSecs(static_cast<int>(std::llround(day * 86400000.0)))
                    .toString("hh:mm:ss");
            };
            show_tooltip(to_qstring(b->label) + "\n" + time(b->start) + " - " + time(b->end));
        } else {
            QToolTip::hideText();
        }
    }
    QChartView::mouseMoveEvent(event);
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (right_dragging_ && event->button() == Qt::RightButton) {
        right_dragging_ = false;
        // A right click that did not scroll opens the menu.
        if (!right_moved_) {
            QContextMenuEvent menu(QContextMenuEvent::Mouse, event->pos(),
                                   event->globalPosition().toPoint());
            contextMenuEvent(&menu);
        }
        event->accept();
        return;
    }
    if (panning_ && event->button() == Qt::LeftButton) {
        panning_ = false;
        unsetCursor();
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

void ChartView::wheelEvent(QWheelEvent* event) {
    if (style_.bars_per_page > 0) {
        scroll_bars(event->angleDelta().y() > 0 ? -1 : 1);
        event->accept();
        return;
    }
    if (zoomable()) {
        chart()->zoom(event->angleDelta().y() > 0 ? 1.25 : 0.8);
        event->accept();
        return;
    }
    QChartView::wheelEvent(event);
}

} // namespace kavro::ui
