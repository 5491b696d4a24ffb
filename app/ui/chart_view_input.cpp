// What the mouse does on a chart: hover texts, zoom and scroll, the menu
// that saves the chart as an image.

#include "app/ui/chart_parts.h"
#include "app/ui/chart_view.h"
#include "app/ui/gantt_item.h"
#include "app/ui/lines_item.h"

#include <QAbstractBarSeries>
#include <QBarSet>
#include <QFileDialog>
#include <QLineSeries>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPieSeries>
#include <QPieSlice>
#include <QSvgGenerator>
#include <QTime>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace kavro::ui {

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
