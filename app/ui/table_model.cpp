#include "app/ui/table_model.h"

#include <QHeaderView>

namespace kavro::ui {

QString to_qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

StringTableModel::StringTableModel(const StringTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(&table), revision_(table.revision()),
      rows_(table.RowCount() - 1) {}

int StringTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int StringTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_->ColCount();
}

QVariant StringTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return to_qstring(table_->Cell(index.column(), index.row() + 1));
}

QVariant StringTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return to_qstring(table_->Cell(section, 0));
    return section + 1;
}

void StringTableModel::refresh() {
    if (table_->revision() == revision_) return;
    revision_ = table_->revision();
    beginResetModel();
    rows_ = table_->RowCount() - 1;
    endResetModel();
}

GridView::GridView(const StringTable& table, const std::vector<int>& widths, QWidget* parent)
    : QTableView(parent), model_(new StringTableModel(table, this)) {
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    // Fixed row heights: the view never measures rows it does not show.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    for (std::size_t i = 0; i < widths.size(); ++i)
        horizontalHeader()->resizeSection(static_cast<int>(i), widths[i]);
}

void GridView::refresh() {
    if (model_->table().revision() == 0) return;
    // A model reset forgets the header's section sizes; keep the widths the
    // layout gave or the user dragged.
    std::vector<int> sizes;
    for (int c = 0; c < model_->columnCount(); ++c)
        sizes.push_back(horizontalHeader()->sectionSize(c));
    model_->refresh();
    for (std::size_t c = 0; c < sizes.size(); ++c)
        horizontalHeader()->resizeSection(static_cast<int>(c), sizes[c]);
}

} // namespace kavro::ui
