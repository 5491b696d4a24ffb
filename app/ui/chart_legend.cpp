#include "app/ui/chart_legend.h"

#include "app/ui/chart_view.h"
#include "app/ui/table_model.h"

#include <QBrush>
#include <QPixmap>

namespace kavro::ui {

ChartLegendModel::ChartLegendModel(const Chart& chart, QObject* parent)
    : QAbstractListModel(parent), chart_(&chart) {}

int ChartLegendModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : size();
}

QVariant ChartLegendModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= size()) return {};
    const int i = rows_[static_cast<std::size_t>(index.row())];
    // The chart may have changed since the last refresh (the view catches
    // up after the running action).
    if (i >= chart_->series_count()) return {};
    const Series& s = chart_->series(i);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return to_qstring(s.title());
    case Qt::ForegroundRole:
        return QBrush(s.active() ? Qt::black : Qt::gray);
    case Qt::DecorationRole: {
        const QColor colour = to_qcolor(s.colour(), static_cast<std::size_t>(i));
        auto it = swatches_.find(colour.rgb());
        if (it == swatches_.end()) {
            QPixmap swatch(10, 10);
            swatch.fill(colour);
            it = swatches_.emplace(colour.rgb(), QIcon(swatch)).first;
        }
        return it->second;
    }
    default:
        return {};
    }
}

void ChartLegendModel::refresh() {
    beginResetModel();
    rows_.clear();
    for (int i = 0; i < chart_->series_count(); ++i) {
        const SeriesKind kind = chart_->series(i).kind();
        if (kind != SeriesKind::Gantt && kind != SeriesKind::Pie) rows_.push_back(i);
    }
    endResetModel();
}

void ChartLegendModel::flags_changed() {
    if (rows_.empty()) return;
    emit dataChanged(index(0), index(size() - 1), {Qt::ForegroundRole});
}

} // namespace kavro::ui
