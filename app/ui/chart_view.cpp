#include "app/ui/chart_view.h"

#include "app/ui/chart_legend.h"
#include "app/ui/table_model.h"
#include "chart/pie_slices.h"
#include "chart/pixel_canvas.h"
#include "core/error.h"
#include "core/progress.h"

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
#include <QListView>
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

// A line chart of more series than its legend holds (kLegendInChart) is
// drawn by LinesItem rather than one Qt Charts series per model series,
// whose set-up costs about half a millisecond each.
// Past this many entries the chart's own legend would squeeze the plot; a
// scrolling list beside it takes over.
constexpr int kLegendInChart = 24;
// A pie slice's label before fit_pie_labels cut it.
constexpr const char* kFullLabel = "kavro_full_label";
constexpr int kSideLegendWidth = 220;

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

// A label as the reader wrote it, without what unique_labels added.
QString plain(QString label) {
    label.remove(QChar(0x200B));
    label.replace(QChar(0x00A0), QChar(' '));
    return label.trimmed();
}

// The points of a line series that a plot `columns` pixels wide can show,
// for x from `xlo` to `xhi`: every point when there are few, otherwise the
// lowest and the highest point of each pixel column in the order they come,
// so every peak stays and about two points a column reach the drawing. One
// point on either side of the range is kept, so the line runs to the edges.
// Points of a series kept in x order are found by binary search.
template <class Take>
void visible_points(const Series& s, double xlo, double xhi, double columns, Take&& take) {
    const auto& pts = s.points();
    std::size_t first = 0, last = pts.size();
    const bool by_x = s.order() == PointOrder::ByX;
    if (by_x && !pts.empty()) {
        first = static_cast<std::size_t>(
            std::lower_bound(pts.begin(), pts.end(), xlo,
                             [](const Point& p, double x) { return p.x < x; }) -
            pts.begin());
        last = static_cast<std::size_t>(
            std::upper_bound(pts.begin(), pts.end(), xhi,
                             [](double x, const Point& p) { return x < p.x; }) -
            pts.begin());
        if (first > 0) --first;
        if (last < pts.size()) ++last;
    }
    if (!by_x || static_cast<double>(last - first) <= 2 * columns || !(xhi > xlo)) {
        for (std::size_t i = first; i < last; ++i) take(pts[i]);
        return;
    }
    const double per_column = columns / (xhi - xlo);
    std::size_t i = first;
    while (i < last) {
        const double column = std::floor((pts[i].x - xlo) * per_column);
        std::size_t j = i, min_at = i, max_at = i;
        while (j < last && std::floor((pts[j].x - xlo) * per_column) == column) {
            if (pts[j].y < pts[min_at].y) min_at = j;
            if (pts[j].y > pts[max_at].y) max_at = j;
            ++j;
        }
        take(pts[std::min(min_at, max_at)]);
        if (min_at != max_at) take(pts[std::max(min_at, max_at)]);
        i = j;
    }
}

QList<QPointF> line_points(const Series& s, double xlo, double xhi, double columns) {
    QList<QPointF> out;
    out.reserve(static_cast<qsizetype>(std::min<double>(s.point_count(), 2 * columns + 4)));
    visible_points(s, xlo, xhi, columns, [&](const Point& p) { out.append(QPointF(p.x, p.y)); });
    return out;
}

// The x range of a series' points (points of a series kept in x order give
// it at once).
std::pair<double, double> x_span(const Series& s) {
    const auto& pts = s.points();
    if (pts.empty()) return {0, 0};
    if (s.order() == PointOrder::ByX) return {pts.front().x, pts.back().x};
    double lo = pts.front().x, hi = lo;
    for (const Point& p : pts) lo = std::min(lo, p.x), hi = std::max(hi, p.x);
    return {lo, hi};
}

QString point_tip(const Series& s, int k) {
    QString text = to_qstring(s.title());
    const QString label = to_qstring(s.label(k));
    if (!label.isEmpty()) text += "\n" + label;
    text += "\n" + QString::number(s.value(k), 'g', 12);
    if (label.isEmpty()) text += "  (at " + QString::number(s.x(k), 'g', 12) + ")";
    return text;
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
        if (s.point_count() == 0) continue;
        const auto [first, last] = x_span(s);
        xlo = std::min(xlo, first);
        xhi = std::max(xhi, last);
        for (const Point& p : s.points()) {
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

// The line series of a chart with many of them, drawn straight onto the
// chart's scene against its axes: Qt Charts sets up a series item, a legend
// marker and signal connections for every series, which for thousands of
// process lines takes longer than drawing them. Each shown series is drawn
// as the points a pixel column can show (visible_points), recomputed when
// the data, the shown series, the plot or the axis ranges change; hidden
// series cost nothing. It draws what the series would: a line two pixels
// wide in the series colour, the points of short series as dots, value
// marks above the points of series whose marks are shown.
class LinesItem : public QGraphicsItem {
public:
    LinesItem(QChart* chart, const Chart& model, QValueAxis* bottom, QValueAxis* left,
              QValueAxis* right, bool clip_marks)
        : QGraphicsItem(chart), chart_(chart), model_(model), bottom_(bottom), left_(left),
          right_(right), clip_marks_(clip_marks) {
        setZValue(5);
    }
    QRectF boundingRect() const override { return chart_->rect(); }
    void invalidate() {
        valid_ = false;
        update();
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        // Never while the lines are being drawn (a progress report lets the
        // window paint): the image shows what is drawn so far.
        if (!rendering_) refresh(dpr, false);
        painter->save();
        painter->setClipRect(chart_->plotArea());
        painter->drawImage(now_.key.plot.topLeft(), now_.image);
        if (!clip_marks_) painter->setClipping(false);
        painter->setPen(Qt::black);
        const QFontMetricsF fm(painter->font());
        for (const Marks& m : now_.marks) {
            for (qsizetype k = 0; k < m.at.size(); ++k) {
                const QString& text = m.texts[k];
                const QPointF at = m.at[k];
                painter->drawText(QPointF(at.x() - fm.horizontalAdvance(text) / 2, at.y() - 5),
                                  text);
            }
        }
        painter->restore();
    }

    // The model series and point nearest to `pos` (chart coordinates) within
    // a few pixels, or {-1, -1}.
    std::pair<int, int> nearest(QPointF pos) const {
        const QRectF plot = chart_->plotArea();
        std::pair<int, int> best{-1, -1};
        if (!plot.contains(pos)) return best;
        double best_d = 8 * 8;
        const double x = bottom_->min() +
                         (pos.x() - plot.left()) / plot.width() * (bottom_->max() - bottom_->min());
        for (int i = 0; i < model_.series_count(); ++i) {
            const Series& s = model_.series(i);
            if (s.kind() != SeriesKind::Line || !s.active() || s.point_count() == 0) continue;
            const Map m = map_for(s, plot);
            const auto& pts = s.points();
            const auto check = [&](std::size_t k) {
                const QPointF at = m(pts[k]);
                const double d = (at.x() - pos.x()) * (at.x() - pos.x()) +
                                 (at.y() - pos.y()) * (at.y() - pos.y());
                if (d < best_d) {
                    best_d = d;
                    best = {i, static_cast<int>(k)};
                }
            };
            if (s.order() == PointOrder::ByX) {
                // The points a few pixels either side of the mouse.
                const double slack = 8 * (bottom_->max() - bottom_->min()) / plot.width();
                auto k = std::lower_bound(pts.begin(), pts.end(), x - slack,
                                          [](const Point& p, double v) { return p.x < v; });
                for (; k != pts.end() && k->x <= x + slack; ++k)
                    check(static_cast<std::size_t>(k - pts.begin()));
            } else {
                for (std::size_t k = 0; k < pts.size(); ++k) check(k);
            }
        }
        return best;
    }

private:
    struct Marks {
        QPolygonF at;
        QStringList texts;
    };
    struct Map {
        double x0, sx, y0, sy, left, bottom;
        QPointF operator()(const Point& p) const {
            return QPointF(left + (p.x - x0) * sx, bottom - (p.y - y0) * sy);
        }
    };
    struct Key {
        QRectF plot;
        double x0 = 0, x1 = 0, l0 = 0, l1 = 0, r0 = 0, r1 = 0;
        qreal dpr = 1;
        bool operator==(const Key&) const = default;
    };

    Map map_for(const Series& s, const QRectF& plot) const {
        const QValueAxis* y = s.right_axis() && right_ ? right_ : left_;
        const double xr = bottom_->max() - bottom_->min(), yr = y->max() - y->min();
        return {bottom_->min(), xr > 0 ? plot.width() / xr : 0,
                y->min(),       yr > 0 ? plot.height() / yr : 0,
                plot.left(),    plot.bottom()};
    }

    // The lines as an image of the plot, made again when the data, the
    // shown series, the plot, the axis ranges or the screen's pixel ratio
    // changed: a repaint for any other reason (a tooltip, the legend) is
    // one copy of the image.
public:
    // Draws the lines now rather than at the next paint, reporting progress
    // a series at a time: the window calls it when the chart changed, so
    // that a long drawing runs under the action's progress dialog.
    // Cancelling the dialog stops the drawing where it is; the lines drawn
    // so far stay until the chart changes again.
    void prepare(qreal dpr) {
        try {
            refresh(dpr, true);
        } catch (const Error&) {
            rendering_ = false;
        }
    }

private:
    // What the shown series look like: the drawing depends on nothing else
    // but the key (the data of a drawn chart never changes; a new analysis
    // makes a new chart).
    std::uint64_t shown_digest() const {
        std::uint64_t h = 1469598103934665603ull;
        const auto mix = [&](std::uint64_t v) { h = (h ^ v) * 1099511628211ull; };
        for (int i = 0; i < model_.series_count(); ++i) {
            const Series& s = model_.series(i);
            if (s.kind() != SeriesKind::Line) continue;
            mix(static_cast<std::uint64_t>(i) << 2 | (s.active() ? 1u : 0u) |
                (s.marks_visible() ? 2u : 0u));
            mix(s.colour());
        }
        return h;
    }

    void refresh(qreal dpr, bool report) {
        Key key{chart_->plotArea(),
                bottom_->min(),
                bottom_->max(),
                left_->min(),
                left_->max(),
                right_ ? right_->min() : 0,
                right_ ? right_->max() : 0,
                dpr};
        const std::uint64_t shown = shown_digest();
        if (valid_ && now_.key == key && now_.shown == shown) return;
        valid_ = true;
        // A drawing made before for the same view, such as "All" again after
        // a cursor: a cursor pick and back costs no second drawing.
        Drawing next;
        for (auto it = earlier_.begin(); it != earlier_.end(); ++it) {
            if (it->key == key && it->shown == shown) {
                next = std::move(*it);
                earlier_.erase(it);
                break;
            }
        }
        const bool again = !next.image.isNull();
        if (!now_.partial && !now_.image.isNull()) {
            earlier_.insert(earlier_.begin(), std::move(now_));
            if (earlier_.size() > kEarlier) {
                if (!again) next.image = std::move(earlier_.back().image); // its memory, again
                earlier_.pop_back();
            }
        }
        now_ = std::move(next);
        now_.key = key;
        now_.shown = shown;
        if (!again) draw(dpr, report);
    }

    void draw(qreal dpr, bool report) {
        const Key& key = now_.key;
        const QRectF plot = key.plot;
        now_.marks.clear();
        now_.partial = true;
        const QSize size(std::max(1, static_cast<int>(std::ceil(plot.width() * dpr)) + 1),
                         std::max(1, static_cast<int>(std::ceil(plot.height() * dpr)) + 1));
        QImage& image = now_.image;
        if (image.size() != size) image = QImage(size, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        PixelCanvas canvas{reinterpret_cast<std::uint32_t*>(image.bits()), image.width(),
                           image.height(), static_cast<int>(image.bytesPerLine() / 4)};
        // Dots of three by three pixels, as the chart's own series show
        // their points; lines one pixel wide, as its cosmetic pens draw.
        const int dot = std::max(3, static_cast<int>(std::lround(3 * dpr)));
        // Progress counts points, the work of a drawing.
        std::uint64_t total = 0, done = 0;
        if (report)
            for (int i = 0; i < model_.series_count(); ++i)
                if (model_.series(i).active())
                    total += static_cast<std::uint64_t>(model_.series(i).point_count());
        rendering_ = true;
        for (int i = 0; i < model_.series_count(); ++i) {
            const Series& s = model_.series(i);
            if (s.kind() != SeriesKind::Line || !s.active()) continue;
            const std::uint32_t colour = to_qcolor(s.colour(), static_cast<std::size_t>(i)).rgba();
            const bool dots = s.point_count() <= 200;
            const Map m = map_for(s, plot);
            Marks marks;
            bool first = true;
            QPointF last;
            visible_points(s, key.x0, key.x1, std::max(1.0, plot.width()), [&](const Point& p) {
                if (report) progress_step(done++, total, "Drawing the chart");
                const QPointF at = m(p);
                const QPointF here = (at - plot.topLeft()) * dpr;
                if (!first) canvas.line(last.x(), last.y(), here.x(), here.y(), colour);
                first = false;
                last = here;
                if (dots) canvas.dot(here.x(), here.y(), dot, colour);
                if (s.marks_visible()) {
                    marks.at.append(at);
                    marks.texts << QString::number(p.y);
                }
            });
            if (!marks.at.isEmpty()) now_.marks.push_back(std::move(marks));
        }
        rendering_ = false;
        now_.partial = false;
    }

    QChart* chart_;
    const Chart& model_;
    QValueAxis* bottom_;
    QValueAxis* left_;
    QValueAxis* right_;
    bool clip_marks_;
    // The drawing shown, and a few made before it (most recent first).
    struct Drawing {
        Key key;
        std::uint64_t shown = 0;
        QImage image;
        std::vector<Marks> marks;
        bool partial = false; // its drawing was cancelled
    };
    static constexpr std::size_t kEarlier = 2;
    Drawing now_;
    std::vector<Drawing> earlier_;
    bool valid_ = false;
    bool rendering_ = false;
};

// The labels under a vertical bar chart: every k-th bar's, k as small as
// lets no two labels overlap (upright labels need a line of text across,
// flat ones their own width), worked out from the plot's width each time
// the chart is painted, so a resized chart keeps them apart.
class BarLabelsItem : public QGraphicsItem {
public:
    BarLabelsItem(QChart* chart, QStringList labels, bool upright, QFont font, QColor colour)
        : QGraphicsItem(chart), chart_(chart), labels_(std::move(labels)), upright_(upright),
          font_(std::move(font)), colour_(std::move(colour)) {
        setZValue(4);
        measure();
    }
    // The height the labels need below the plot.
    int room() const {
        const QFontMetricsF fm(font_);
        return static_cast<int>(std::ceil((upright_ ? widest_ : fm.height()) + 6));
    }
    // Every how many bars a label stands at the plot's present width.
    qsizetype step() const {
        const QFontMetricsF fm(font_);
        const double per_bar = chart_->plotArea().width() / static_cast<double>(labels_.size());
        const double need = upright_ ? fm.height() + 2 : widest_ + 8;
        return static_cast<qsizetype>(std::max(1.0, std::ceil(need / std::max(per_bar, 1e-9))));
    }
    QRectF boundingRect() const override { return chart_->rect(); }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        const QRectF plot = chart_->plotArea();
        const qsizetype n = labels_.size();
        if (n == 0 || plot.width() <= 0) return;
        const QFontMetricsF fm(font_);
        const double per_bar = plot.width() / static_cast<double>(n);
        const qsizetype k = step();
        painter->save();
        painter->setFont(font_);
        painter->setPen(colour_);
        for (qsizetype j = 0; j < n; j += k) {
            const QString text = fm.elidedText(labels_[j], Qt::ElideRight, widest_ + 1);
            const double x = plot.left() + (static_cast<double>(j) + 0.5) * per_bar;
            if (upright_) {
                painter->save();
                painter->translate(x + fm.ascent() / 2 - 1, plot.bottom() + 4);
                painter->rotate(-90);
                painter->drawText(QPointF(-fm.horizontalAdvance(text), 0), text);
                painter->restore();
            } else {
                painter->drawText(
                    QPointF(x - fm.horizontalAdvance(text) / 2, plot.bottom() + 4 + fm.ascent()),
                    text);
            }
        }
        painter->restore();
    }
    const QStringList& labels() const { return labels_; }
    void set_labels(QStringList labels) {
        labels_ = std::move(labels);
        measure();
        update();
    }

private:
    void measure() {
        const QFontMetricsF fm(font_);
        widest_ = 0;
        for (const QString& l : labels_) widest_ = std::max(widest_, fm.horizontalAdvance(l));
        widest_ = std::min<qreal>(widest_, 200);
    }

    QChart* chart_;
    QStringList labels_;
    bool upright_;
    QFont font_;
    QColor colour_;
    qreal widest_ = 0;
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
    const int label_count = longest ? longest->point_count() : 0;
    const auto label = [&](int p) { return to_qstring(longest->label(p)); };

    if (any_pie) {
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
        return;
    }

    if (any_bar || any_hbar) {
        build_bars(c, longest, any_hbar);
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
    QValueAxis* bottom = nullptr;
    if (style_.labels_on_bottom_axis) {
        auto* cat = new QCategoryAxis();
        cat->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        // About twenty labels, each at its point's ordinal: only those are
        // made.
        const int n = label_count;
        const int step = std::max(1, n / 20);
        QStringList shown;
        for (int k = 0; k < n; k += step) shown << label(k);
        shown = unique_labels(shown);
        for (int k = 0, i = 0; k < n; k += step, ++i) cat->append(shown[i], static_cast<qreal>(k));
        cat->setRange(0, std::max<qreal>(1, static_cast<qreal>(n - 1)));
        cat->setLabelsAngle(-45);
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
    if (any_right) {
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

bool ChartView::zoomable() const {
    for (int i = 0; i < model_->series_count(); ++i)
        if (model_->series(i).kind() == SeriesKind::Pie) return false;
    return !style_.mouse_zoom;
}

void ChartView::show_tooltip(const QString& text) {
    QToolTip::showText(QCursor::pos(), text, this);
}

namespace {
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
                show_tooltip(point_tip(s, static_cast<int>(it - pts.begin())));
            });
        } else if (auto* pie = qobject_cast<QPieSeries*>(d)) {
            connect(pie, &QPieSeries::hovered, this, [this](QPieSlice* slice, bool state) {
                if (!state) return QToolTip::hideText();
                show_tooltip(slice->property(kFullLabel).toString() + "\n" +
                             number(slice->value()) + "  (" +
                             QString::number(slice->percentage() * 100, 'f', 1) + "%)");
            });
        } else if (auto* bars = qobject_cast<QAbstractBarSeries*>(d); bars && bars != bars_done) {
            bars_done = bars;
            connect(bars, &QAbstractBarSeries::hovered, this,
                    [this](bool state, int at, QBarSet* set) {
                        if (!state || !set) return QToolTip::hideText();
                        QString text = set->label();
                        if (at >= 0 && at < bar_tips_.size() && !bar_tips_[at].isEmpty())
                            text += (text.isEmpty() ? "" : "\n") + bar_tips_[at];
                        show_tooltip(text + "\n" + number(set->at(at)));
                    });
        }
    }
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

std::vector<std::pair<int, QString>> ChartView::bar_labels_shown() const {
    std::vector<std::pair<int, QString>> out;
    for (QGraphicsItem* child : chart()->childItems()) {
        const auto* item = dynamic_cast<const BarLabelsItem*>(child);
        if (!item) continue;
        const qsizetype k = item->step();
        for (qsizetype j = 0; j < item->labels().size(); j += k)
            out.emplace_back(static_cast<int>(j), item->labels()[j]);
    }
    return out;
}

QStringList ChartView::side_legend_entries() const {
    QStringList out;
    if (!side_legend_ || side_legend_->isHidden()) return out;
    for (int i = 0; i < legend_model_->rowCount(); ++i)
        out << legend_model_->data(legend_model_->index(i), Qt::DisplayRole).toString();
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

// Bar charts. The slots of the category axis hold one bar of each bar
// series; Qt Charts cannot reverse a category axis, so an inverted axis is
// drawn by handing the slots over last first, and a paged chart gets empty
// slots up to a full page, so its bars keep their height. Qt Charts makes an
// item for every bar and takes its categories one by one, comparing each
// with all before it, so it is handed at most what can be seen: a paged
// chart (the plan bars) one page, filled again when it scrolls; a chart of
// more bars than its plot has pixel columns one bar for every few, the
// largest of them (its peaks stay), labelled with the first one's label.
void ChartView::build_bars(QChart* c, const Series* labelled, bool horizontal) {
    QAbstractBarSeries* bars = horizontal
                                   ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries())
                                   : static_cast<QAbstractBarSeries*>(new QBarSeries());
    const bool flip = horizontal && style_.inverted_category_axis;
    const qsizetype labels = labelled ? labelled->point_count() : 0;
    const qsizetype rows = std::max<qsizetype>(labels, style_.bars_per_page);
    const auto source = [&](qsizetype k) { return flip ? rows - 1 - k : k; };
    bar_slots_.clear();
    slot_labels_.clear();
    slot_labels_.reserve(static_cast<std::size_t>(rows));
    bars_per_column_ = 0;
    bool marks = false;
    double lo = 0, hi = 0;
    for (int i = 0; i < model_->series_count(); ++i) {
        const Series& s = model_->series(i);
        if (s.kind() != SeriesKind::Bar && s.kind() != SeriesKind::HorizBar) continue;
        auto* set = new QBarSet(to_qstring(s.title()));
        Colour colour = s.colour();
        if (s.point_count() > 0 && (s.point_colour(0) >> 24) != 0) colour = s.point_colour(0);
        set->setColor(to_qcolor(colour, static_cast<std::size_t>(i)));
        set->setBorderColor(to_qcolor(colour, static_cast<std::size_t>(i)).darker(130));
        std::vector<double> values;
        values.reserve(static_cast<std::size_t>(std::max<qsizetype>(rows, s.point_count())));
        for (qsizetype k = 0; k < std::max<qsizetype>(rows, s.point_count()); ++k) {
            const auto p = static_cast<int>(source(k));
            values.push_back(s.active() && p >= 0 && p < s.point_count() ? s.value(p) : 0.0);
            lo = std::min(lo, values.back());
            hi = std::max(hi, values.back());
        }
        bar_slots_.push_back(std::move(values));
        marks |= s.marks_visible();
        bars->append(set);
        drawn_[static_cast<std::size_t>(i)] = bars;
    }
    for (qsizetype k = 0; k < rows; ++k) {
        const qsizetype j = source(k);
        slot_labels_.emplace_back(j < labels ? labelled->label(static_cast<int>(j))
                                             : std::string_view());
    }
    bars->setLabelsVisible(marks);
    if (horizontal) bars->setBarWidth(0.3); // bars offset by 70 percent of their room
    c->addSeries(bars);
    auto* cat = new QBarCategoryAxis();
    if (style_.category_font) cat->setLabelsFont(*style_.category_font);
    cat->setLabelsColor(style_.category_colour);
    auto* values = new QValueAxis();
    values->setLabelFormat(style_.value_format);
    if (!style_.value_axis_title.isEmpty()) values->setTitleText(style_.value_axis_title);
    c->addAxis(cat, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    c->addAxis(values, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    bars->attachAxis(cat);
    bars->attachAxis(values);
    values->setRange(lo, hi > lo ? hi * 1.05 : lo + 1);
    bar_axis_ = cat;
    bar_series_ = bars;
    if (style_.bars_per_page > 0) {
        first_bar_ = std::clamp(first_bar_, 0, max_first_bar());
        fill_bar_page();
    } else {
        fill_bar_buckets();
    }
    if (!horizontal) {
        // Qt Charts cuts every label down to the width of its own bar, so a
        // crowded axis shows "..." under each; the view writes every k-th
        // label itself instead, in the room the axis's labels would have
        // taken.
        QFont font = style_.category_font ? *style_.category_font : cat->labelsFont();
        cat->setLabelsVisible(false);
        bar_labels_ =
            new BarLabelsItem(c, bar_names_, bar_names_.size() > 12, font, style_.category_colour);
        QMargins m = c->margins();
        m.setBottom(m.bottom() + bar_labels_->room());
        c->setMargins(m);
        // A wider plot has room for more bars.
        connect(c, &QChart::plotAreaChanged, this, [this] { fill_bar_buckets(); });
    }
    c->legend()->setVisible(style_.legend);
}

// Slots `from` to `to` (not included) of every bar set, `per` slots to a bar.
void ChartView::hand_bars(qsizetype from, qsizetype to, qsizetype per) {
    const QList<QBarSet*> sets = bar_series_->barSets();
    for (qsizetype i = 0; i < sets.size(); ++i) {
        const std::vector<double>& all = bar_slots_[static_cast<std::size_t>(i)];
        QList<qreal> shown;
        for (qsizetype k = from; k < to; k += per) {
            // The value of largest size, so a negative peak stays too.
            double v = 0;
            for (qsizetype j = k; j < std::min(k + per, to); ++j)
                if (std::abs(all[static_cast<std::size_t>(j)]) > std::abs(v))
                    v = all[static_cast<std::size_t>(j)];
            shown << v;
        }
        // One call for every value: a bar set tells its series of each
        // change, which then looks at every bar again.
        sets[i]->remove(0, sets[i]->count());
        sets[i]->append(shown);
    }
    bar_names_.clear();
    bar_tips_.clear();
    for (qsizetype k = from; k < to; k += per) {
        bar_names_ << slot_label(k);
        const qsizetype end = std::min(k + per, to) - 1;
        bar_tips_ << (end > k ? plain(slot_label(k)) + " - " + plain(slot_label(end))
                              : plain(slot_label(k)));
    }
    QStringList categories = unique_labels(bar_names_);
    if (categories.isEmpty()) categories << QString(QChar(0x00A0));
    bar_axis_->setCategories(categories);
    if (bar_labels_) bar_labels_->set_labels(bar_names_);
    bars_per_column_ = per;
}

void ChartView::fill_bar_buckets() {
    const auto n = static_cast<qsizetype>(slot_labels_.size());
    const auto columns = static_cast<qsizetype>(line_columns());
    const qsizetype per = n > columns ? (n + columns - 1) / columns : 1;
    if (bar_series_ && per != bars_per_column_) hand_bars(0, n, per);
}

QString ChartView::slot_label(qsizetype k) const {
    const std::string& text = slot_labels_[static_cast<std::size_t>(k)];
    // Qt drops a null category, which would shift every bar.
    return text.empty() ? QString(QChar(0x00A0)) : to_qstring(text);
}

int ChartView::max_first_bar() const {
    return std::max<int>(0, static_cast<int>(slot_labels_.size()) - style_.bars_per_page);
}

void ChartView::fill_bar_page() {
    if (!bar_series_) return;
    const auto n = static_cast<int>(slot_labels_.size());
    const int last = std::min<int>(first_bar_ + style_.bars_per_page - 1, n - 1);
    // first_bar_ counts from the top of an inverted axis, whose slots come
    // last first.
    if (style_.inverted_category_axis)
        hand_bars(n - 1 - last, n - first_bar_, 1);
    else
        hand_bars(first_bar_, last + 1, 1);
}

void ChartView::scroll_bars(int delta) {
    if (style_.bars_per_page <= 0 || !bar_series_) return;
    const int next = std::clamp(first_bar_ + delta, 0, max_first_bar());
    if (next == first_bar_) return;
    first_bar_ = next;
    fill_bar_page();
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

void ChartView::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    fit_pie_labels();
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
    if (lines_) {
        const auto [series, point] =
            lines_->nearest(chart()->mapFromScene(mapToScene(event->pos())));
        if (series >= 0)
            show_tooltip(point_tip(model_->series(series), point));
        else
            QToolTip::hideText();
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
