#include "app/ui/table_model.h"

#include "app/export.h"
#include "core/convert.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>

#include <algorithm>
#include <fstream>

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

int StringTableModel::table_row(int view_row) const {
    if (order_.empty() || view_row < 0 || view_row >= static_cast<int>(order_.size()))
        return view_row + 1;
    return order_[static_cast<std::size_t>(view_row)];
}

QVariant StringTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return to_qstring(table_->Cell(index.column(), table_row(index.row())));
}

QVariant StringTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return to_qstring(table_->Cell(section, 0));
    return section + 1;
}

void StringTableModel::sort(int column, Qt::SortOrder order) {
    // Numbers compare as numbers and come before texts; keys are read once.
    struct Key {
        bool number;
        double value;
        std::string_view text;
        int row;
    };
    std::vector<Key> keys;
    keys.reserve(static_cast<std::size_t>(rows_));
    for (int r = 1; r <= rows_; ++r) {
        const std::string_view cell = table_->Cell(column, r);
        double v = 0;
        const bool number = TryStrToFloat(cell, v);
        keys.push_back({number, v, cell, r});
    }
    const auto less = [](const Key& a, const Key& b) {
        if (a.number != b.number) return a.number;
        if (a.number) return a.value < b.value;
        return a.text < b.text;
    };
    if (order == Qt::AscendingOrder)
        std::stable_sort(keys.begin(), keys.end(), less);
    else
        std::stable_sort(keys.begin(), keys.end(),
                         [&](const Key& a, const Key& b) { return less(b, a); });
    emit layoutAboutToBeChanged();
    order_.resize(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) order_[i] = keys[i].row;
    emit layoutChanged();
}

void StringTableModel::unsort() {
    if (order_.empty()) return;
    emit layoutAboutToBeChanged();
    order_.clear();
    emit layoutChanged();
}

bool StringTableModel::refresh() {
    if (table_->revision() == revision_) return false;
    revision_ = table_->revision();
    beginResetModel();
    rows_ = table_->RowCount() - 1;
    order_.clear();
    endResetModel();
    return true;
}

GridView::GridView(const StringTable& table, const std::vector<int>& widths, QWidget* parent)
    : QTableView(parent), model_(new StringTableModel(table, this)) {
    // Fixed row heights: the view never measures rows it does not show. Set
    // before the model: on a header that already has its sections, a new
    // default size is a resize of every one of them, which for ten million
    // rows the view then works through for a third of a second.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    for (std::size_t i = 0; i < widths.size(); ++i)
        horizontalHeader()->resizeSection(static_cast<int>(i), widths[i]);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &GridView::header_clicked);
}

void GridView::set_sortable(bool sortable) {
    sortable_ = sortable;
    horizontalHeader()->setSectionsClickable(sortable);
}

void GridView::header_clicked(int column) {
    if (!sortable_) return;
    if (column != sort_column_) {
        sort_column_ = column;
        sort_clicks_ = 0;
    }
    sort_clicks_ = (sort_clicks_ + 1) % 3;
    if (sort_clicks_ == 0) {
        model_->unsort();
        horizontalHeader()->setSortIndicatorShown(false);
        sort_column_ = -1;
        return;
    }
    const Qt::SortOrder order = sort_clicks_ == 1 ? Qt::AscendingOrder : Qt::DescendingOrder;
    model_->sort(column, order);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, order);
}

void GridView::refresh() {
    // A model reset forgets the header's section sizes; keep the widths the
    // layout gave or the user dragged.
    std::vector<int> sizes;
    for (int c = 0; c < model_->columnCount(); ++c)
        sizes.push_back(horizontalHeader()->sectionSize(c));
    if (!model_->refresh()) return;
    for (std::size_t c = 0; c < sizes.size(); ++c)
        horizontalHeader()->resizeSection(static_cast<int>(c), sizes[c]);
    horizontalHeader()->setSortIndicatorShown(false);
    sort_column_ = -1;
    sort_clicks_ = 0;
}

QString GridView::selected_text() const {
    QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList{};
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QString text;
    for (const QModelIndex& index : rows) {
        const int r = model_->table_row(index.row());
        for (int c = 0; c < model_->columnCount(); ++c) {
            if (c) text += '\t';
            text += to_qstring(model_->table().Cell(c, r));
        }
        text += '\n';
    }
    return text;
}

void GridView::copy_selection() const {
    const QString text = selected_text();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void GridView::export_csv() {
    const QString name = QFileDialog::getSaveFileName(this, "Export CSV", objectName() + ".csv",
                                                      "CSV files (*.csv);;All files (*)");
    if (name.isEmpty()) return;
    std::ofstream out(name.toStdString(), std::ios::binary);
    write_table_csv(model_->table(), out);
    out.close();
    if (!out) QMessageBox::warning(this, "Kavro", "Cannot write " + name);
}

void GridView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copy_selection();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GridView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction("Copy");
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(selectionModel() && selectionModel()->hasSelection());
    QAction* csv = menu.addAction("Export CSV...");
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == copy) copy_selection();
    if (chosen == csv) export_csv();
}

} // namespace kavro::ui
