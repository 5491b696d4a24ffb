#include "app/ui/bar_labels_item.h"

#include "chart/plot_geometry.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kavro::ui {

BarLabelsItem::BarLabelsItem(QChart* chart, QStringList labels, bool upright, QFont font,
                             QColor colour)
    : QGraphicsItem(chart), chart_(chart), labels_(std::move(labels)), upright_(upright),
      font_(std::move(font)), colour_(std::move(colour)) {
    setZValue(4);
    measure();
}

int BarLabelsItem::room() const {
    const QFontMetricsF fm(font_);
    return static_cast<int>(std::ceil((upright_ ? widest_ : fm.height()) + 6));
}

qsizetype BarLabelsItem::step() const {
    const QFontMetricsF fm(font_);
    const double need = upright_ ? fm.height() + 2 : widest_ + 8;
    return label_step(chart_->plotArea().width(), labels_.size(), need);
}

void BarLabelsItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
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
                QPointF(x - fm.horizontalAdvance(text) / 2, plot.bottom() + 4 + fm.ascent()), text);
        }
    }
    painter->restore();
}

void BarLabelsItem::set_labels(QStringList labels) {
    labels_ = std::move(labels);
    measure();
    update();
}

void BarLabelsItem::measure() {
    const QFontMetricsF fm(font_);
    widest_ = 0;
    for (const QString& l : labels_) widest_ = std::max(widest_, fm.horizontalAdvance(l));
    widest_ = std::min<qreal>(widest_, 200);
}

} // namespace kavro::ui
