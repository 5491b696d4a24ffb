#pragma once

// The scrolling legend beside a chart of more series than the chart's own
// legend holds: one row per series (Gantt bars and pie slices have none),
// its title with a swatch of its colour, greyed while the series is hidden.
// Rows are read from the chart model as the list shows them, so a timeline
// of a hundred thousand series costs the rows on screen.

#include "chart/chart.h"

#include <QAbstractListModel>
#include <QIcon>

#include <unordered_map>
#include <vector>

namespace kavro::ui {

class ChartLegendModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ChartLegendModel(const Chart& chart, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Takes the chart's series as they are now.
    void refresh();
    // The series were shown or hidden: the rows on screen are painted again.
    void flags_changed();
    // Series of the chart that have a row, in the chart's order.
    int size() const { return static_cast<int>(rows_.size()); }

private:
    const Chart* chart_;
    std::vector<int> rows_; // row -> series index
    // Colours repeat (the automatic sequence has twenty): a swatch each.
    mutable std::unordered_map<QRgb, QIcon> swatches_;
};

} // namespace kavro::ui
