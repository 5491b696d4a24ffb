#pragma once

// A list of the form's texts (a list box's or a selector's items) shown in a
// QListView or QComboBox and read on demand: a list of a hundred thousand
// series titles costs the rows on screen, not a widget item per entry.

#include <QAbstractListModel>

#include <string>
#include <vector>

namespace kavro::ui {

class TextListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // `items` must outlive the model (it is a control's own item list).
    explicit TextListModel(const std::vector<std::string>& items, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Takes the list as it is now; views forget their rows and read again.
    void refresh();

private:
    const std::vector<std::string>* items_;
    int rows_ = 0;
};

} // namespace kavro::ui
