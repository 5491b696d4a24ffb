#pragma once

// The line series of a chart with many of them, drawn straight onto the
// chart's scene against its axes: Qt Charts sets up a series item, a legend
// marker and signal connections for every series, which for thousands of
// process lines takes longer than drawing them. Each shown series is drawn
// as the points a pixel column can show (visible_points), recomputed when
// the data, the shown series, the plot or the axis ranges change; hidden
// series cost nothing. It draws what the series would: a line two pixels
// wide in the series colour, the points of short series as dots, value
// marks above the points of series whose marks are shown.

#include "chart/chart.h"
#include "chart/plot_geometry.h"

#include <QChart>
#include <QGraphicsItem>
#include <QImage>
#include <QPolygonF>
#include <QStringList>
#include <QValueAxis>

#include <cstdint>
#include <utility>
#include <vector>

namespace kavro::ui {

class LinesItem : public QGraphicsItem {
public:
    LinesItem(QChart* chart, const Chart& model, QValueAxis* bottom, QValueAxis* left,
              QValueAxis* right, bool clip_marks);
    QRectF boundingRect() const override { return chart_->rect(); }
    void invalidate() {
        valid_ = false;
        update();
    }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

    // The model series and point nearest to `pos` (chart coordinates) within
    // a few pixels, or {-1, -1}.
    std::pair<int, int> nearest(QPointF pos) const;

    // Draws the lines now rather than at the next paint, reporting progress
    // a series at a time: the window calls it when the chart changed, so
    // that a long drawing runs under the action's progress dialog.
    // Cancelling the dialog stops the drawing where it is; the lines drawn
    // so far stay until the chart changes again.
    void prepare(qreal dpr);

private:
    struct Marks {
        QPolygonF at;
        QStringList texts;
    };
    struct Key {
        QRectF plot;
        double x0 = 0, x1 = 0, l0 = 0, l1 = 0, r0 = 0, r1 = 0;
        qreal dpr = 1;
        bool operator==(const Key&) const = default;
    };
    // The drawing shown, and a few made before it (most recent first).
    struct Drawing {
        Key key;
        std::uint64_t shown = 0;
        QImage image;
        std::vector<Marks> marks;
        bool partial = false; // its drawing was cancelled
    };
    static constexpr std::size_t kEarlier = 2;

    // The map of a series' values to the pixels of `plot`, against the
    // value axis the series is drawn on.
    PlotMap map_for(const Series& s, const QRectF& plot) const;
    std::uint64_t shown_digest() const;
    void refresh(qreal dpr, bool report);
    void draw(qreal dpr, bool report);

    QChart* chart_;
    const Chart& model_;
    QValueAxis* bottom_;
    QValueAxis* left_;
    QValueAxis* right_;
    bool clip_marks_;
    Drawing now_;
    std::vector<Drawing> earlier_;
    bool valid_ = false;
    bool rendering_ = false;
};

} // namespace kavro::ui
