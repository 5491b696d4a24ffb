#include "app/ui/chart_parts.h"

#include "chart/plot_geometry.h"

#include <QAbstractAxis>
#include <QDateTime>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace kavro::ui {

qint64 day_fraction_ms(double fraction) {
    static const qint64 base = QDateTime(QDate(2000, 1, 1), QTime(0, 0)).toMSecsSinceEpoch();
    return base + static_cast<qint64>(std::llround(fraction * 86400000.0));
}

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

QString plain(QString label) {
    label.remove(QChar(0x200B));
    label.replace(QChar(0x00A0), QChar(' '));
    return label.trimmed();
}

QList<QPointF> line_points(const Series& s, double xlo, double xhi, double columns) {
    QList<QPointF> out;
    out.reserve(static_cast<qsizetype>(std::min<double>(s.point_count(), 2 * columns + 4)));
    visible_points(s, xlo, xhi, columns, [&](const Point& p) { out.append(QPointF(p.x, p.y)); });
    return out;
}

QString point_tip(const Series& s, int k) {
    QString text = to_qstring(s.title());
    const QString label = to_qstring(s.label(k));
    if (!label.isEmpty()) text += "\n" + label;
    text += "\n" + QString::number(s.value(k), 'g', 12);
    if (label.isEmpty()) text += "  (at " + QString::number(s.x(k), 'g', 12) + ")";
    return text;
}

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

} // namespace kavro::ui
