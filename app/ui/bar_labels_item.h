#pragma once

// The labels under a vertical bar chart: every k-th bar's, k as small as
// lets no two labels overlap (upright labels need a line of text across,
// flat ones their own width), worked out from the plot's width each time
// the chart is painted, so a resized chart keeps them apart.

#include <QChart>
#include <QColor>
#include <QFont>
#include <QGraphicsItem>
#include <QStringList>

namespace kavro::ui {

class BarLabelsItem : public QGraphicsItem {
public:
    BarLabelsItem(QChart* chart, QStringList labels, bool upright, QFont font, QColor colour);
    // The height the labels need below the plot.
    int room() const;
    // Every how many bars a label stands at the plot's present width.
    qsizetype step() const;
    QRectF boundingRect() const override { return chart_->rect(); }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;
    const QStringList& labels() const { return labels_; }
    void set_labels(QStringList labels);

private:
    void measure();

    QChart* chart_;
    QStringList labels_;
    bool upright_;
    QFont font_;
    QColor colour_;
    qreal widest_ = 0;
};

} // namespace kavro::ui
