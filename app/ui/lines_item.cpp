#include "app/ui/lines_item.h"

#include "app/ui/chart_view.h"
#include "chart/pixel_canvas.h"
#include "core/error.h"
#include "core/progress.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kavro::ui {

namespace {
QPointF at(const PlotMap& m, const Point& p) {
    return QPointF(m.px(p.x), m.py(p.y));
}
} // namespace

LinesItem::LinesItem(QChart* chart, const Chart& model, QValueAxis* bottom, QValueAxis* left,
                     QValueAxis* right, bool clip_marks)
    : QGraphicsItem(chart), chart_(chart), model_(model), bottom_(bottom), left_(left),
      right_(right), clip_marks_(clip_marks) {
    setZValue(5);
}

void LinesItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
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
            const QPointF point = m.at[k];
            painter->drawText(QPointF(point.x() - fm.horizontalAdvance(text) / 2, point.y() - 5),
                              text);
        }
    }
    painter->restore();
}

std::pair<int, int> LinesItem::nearest(QPointF pos) const {
    const QRectF plot = chart_->plotArea();
    std::pair<int, int> best{-1, -1};
    if (!plot.contains(pos)) return best;
    double best_d = 8 * 8;
    const PlotMap across = PlotMap::fit(bottom_->min(), bottom_->max(), 0, 0, plot.left(),
                                        plot.top(), plot.width(), plot.height());
    const double x = across.x_at(pos.x());
    for (int i = 0; i < model_.series_count(); ++i) {
        const Series& s = model_.series(i);
        if (s.kind() != SeriesKind::Line || !s.active() || s.point_count() == 0) continue;
        const PlotMap m = map_for(s, plot);
        const auto& pts = s.points();
        const auto check = [&](std::size_t k) {
            const QPointF p = at(m, pts[k]);
            const double d =
                (p.x() - pos.x()) * (p.x() - pos.x()) + (p.y() - pos.y()) * (p.y() - pos.y());
            if (d < best_d) {
                best_d = d;
                best = {i, static_cast<int>(k)};
            }
        };
        if (s.order() == PointOrder::ByX) {
            // The points a few pixels either side of the mouse.
            const double slack = across.x_extent(8);
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

PlotMap LinesItem::map_for(const Series& s, const QRectF& plot) const {
    const QValueAxis* y = s.right_axis() && right_ ? right_ : left_;
    return PlotMap::fit(bottom_->min(), bottom_->max(), y->min(), y->max(), plot.left(), plot.top(),
                        plot.width(), plot.height());
}

void LinesItem::prepare(qreal dpr) {
    try {
        refresh(dpr, true);
    } catch (const Error&) {
        rendering_ = false;
    }
}

// What the shown series look like: the drawing depends on nothing else but
// the key (the data of a drawn chart never changes; a new analysis makes a
// new chart).
std::uint64_t LinesItem::shown_digest() const {
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

// The lines as an image of the plot, made again when the data, the shown
// series, the plot, the axis ranges or the screen's pixel ratio changed: a
// repaint for any other reason (a tooltip, the legend) is one copy of the
// image.
void LinesItem::refresh(qreal dpr, bool report) {
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
    // A drawing made before for the same view, such as "All" again after a
    // cursor: a cursor pick and back costs no second drawing.
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

void LinesItem::draw(qreal dpr, bool report) {
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
    // Dots of three by three pixels, as the chart's own series show their
    // points; lines one pixel wide, as its cosmetic pens draw.
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
        const PlotMap m = map_for(s, plot);
        Marks marks;
        bool first = true;
        QPointF last;
        visible_points(s, key.x0, key.x1, std::max(1.0, plot.width()), [&](const Point& p) {
            if (report) progress_step(done++, total, "Drawing the chart");
            const QPointF point = at(m, p);
            const QPointF here = (point - plot.topLeft()) * dpr;
            if (!first) canvas.line(last.x(), last.y(), here.x(), here.y(), colour);
            first = false;
            last = here;
            if (dots) canvas.dot(here.x(), here.y(), dot, colour);
            if (s.marks_visible()) {
                marks.at.append(point);
                marks.texts << QString::number(p.y);
            }
        });
        if (!marks.at.isEmpty()) now_.marks.push_back(std::move(marks));
    }
    rendering_ = false;
    now_.partial = false;
}

} // namespace kavro::ui
