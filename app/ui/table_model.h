#pragma once

// Shows a StringTable in a QTableView: row 0 of the table is the header, the
// other rows are read on demand, so a grid of ten million lines costs no more
// than the rows on screen.

#include "core/string_table.h"

#include <QAbstractTableModel>
#include <QTableView>

#include <vector>

namespace kavro::ui {

class StringTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit StringTableModel(const StringTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Re-reads the table when it changed since the last look.
    void refresh();
    const StringTable& table() const { return *table_; }

private:
    const StringTable* table_;
    std::uint64_t revision_;
    int rows_;
};

// A read-only grid with a fixed title row, whole-row selection, draggable
// column widths and fixed row heights.
class GridView : public QTableView {
    Q_OBJECT
public:
    GridView(const StringTable& table, const std::vector<int>& widths, QWidget* parent = nullptr);
    StringTableModel* table_model() const { return model_; }
    void refresh();

private:
    StringTableModel* model_;
};

QString to_qstring(std::string_view text);

} // namespace kavro::ui
