#include "app/ui/text_list_model.h"

#include "app/ui/table_model.h"

namespace kavro::ui {

TextListModel::TextListModel(const std::vector<std::string>& items, QObject* parent)
    : QAbstractListModel(parent), items_(&items), rows_(static_cast<int>(items.size())) {}

int TextListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant TextListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() ||
        (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole))
        return {};
    // The list may have changed since the last refresh (the views catch up
    // after the running action); a row that went reads as nothing.
    const auto row = static_cast<std::size_t>(index.row());
    if (row >= items_->size()) return {};
    return to_qstring((*items_)[row]);
}

void TextListModel::refresh() {
    beginResetModel();
    rows_ = static_cast<int>(items_->size());
    endResetModel();
}

} // namespace kavro::ui
