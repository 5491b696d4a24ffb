#include "app/ui/gantt_item.h"

#include "app/ui/chart_parts.h"
#include "app/ui/chart_view.h"

#include <QFontMetrics>
#include <QPainter>

namespace kavro::ui {

GanttItem::GanttItem(QChart* chart, QAbstractSeries* anchor)
    : QGraphicsItem(chart), chart_(chart), anchor_(anchor) {
    setZValue(10);
}

void GanttItem::set_bars(std::vector<GanttBar> bars) {
    prepareGeometryChange();
    bars_ = std::move(bars);
    update();
}

QRectF GanttItem::boundingRect() const {
    return chart_->plotArea();
}

QRectF GanttItem::bar_rect(const GanttBar& b) const {
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

const GanttBar* GanttItem::bar_at(QPointF chart_pos) const {
    for (const GanttBar& b : bars_)
        if (bar_rect(b).adjusted(-1, -1, 1, 1).contains(chart_pos)) return &b;
    return nullptr;
}

void GanttItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
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

} // namespace kavro::ui
