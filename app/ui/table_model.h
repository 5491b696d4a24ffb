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
    void sort(int column, Qt::SortOrder order) override;

    // Re-reads the table when it changed since the last look; a changed
    // table shows in its own order again.
    bool refresh();
    // Back to the table's own row order.
    void unsort();
    bool sorted() const { return !order_.empty(); }
    const StringTable& table() const { return *table_; }
    // The table row shown at view row `view_row`.
    int table_row(int view_row) const;

private:
    const StringTable* table_;
    std::uint64_t revision_;
    int rows_;
    std::vector<int> order_; // view row -> table row; empty: the table's order
};

// A read-only grid with a fixed title row, whole-row selection, draggable
// column widths and fixed row heights. Ctrl+C and "Copy" put the selected
// rows on the clipboard tab-separated; "Export CSV..." writes the whole
// table. A sortable grid sorts its view (never the table) by a click on a
// column header: ascending, descending, then the table's own order.
class GridView : public QTableView {
    Q_OBJECT
public:
    GridView(const StringTable& table, const std::vector<int>& widths, QWidget* parent = nullptr);
    StringTableModel* table_model() const { return model_; }
    void refresh();
    void set_sortable(bool sortable);
    QString selected_text() const;
    void copy_selection() const;
    void export_csv();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void header_clicked(int column);

    StringTableModel* model_;
    bool sortable_ = false;
    int sort_column_ = -1;
    int sort_clicks_ = 0;
};

QString to_qstring(std::string_view text);

} // namespace kavro::ui
