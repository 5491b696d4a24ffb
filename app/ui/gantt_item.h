#pragma once

// Gantt bars drawn straight onto a chart's scene against its axes: one bar a
// process, from its first to its last snapshot, with its label beside it.

#include "chart/chart.h"

#include <QAbstractSeries>
#include <QChart>
#include <QGraphicsItem>

#include <vector>

namespace kavro::ui {

class GanttItem : public QGraphicsItem {
public:
    // `anchor` is the (invisible) series the chart's axes are attached to.
    GanttItem(QChart* chart, QAbstractSeries* anchor);
    void set_bars(std::vector<GanttBar> bars);
    QRectF boundingRect() const override;
    // Where a bar is drawn, in chart coordinates.
    QRectF bar_rect(const GanttBar& b) const;
    // The bar under a point of the chart, for the hover text.
    const GanttBar* bar_at(QPointF chart_pos) const;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

private:
    QChart* chart_;
    QAbstractSeries* anchor_;
    std::vector<GanttBar> bars_;
};

} // namespace kavro::ui
