#pragma once

// Binds Qt widgets to the form's controls by their window names. A user
// action on a widget writes the control's new state into the form and runs
// the handler through TForm1's dispatcher; after every action the binder
// syncs every bound widget from the form with its signals blocked, so that
// syncing never runs a handler. Tables and charts refresh only when their
// revision moved.

#include "app/form.h"
#include "app/ui/chart_view.h"
#include "app/ui/table_model.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>

#include <functional>
#include <string>
#include <vector>

namespace kavro::ui {

class Binder : public QObject {
    Q_OBJECT
public:
    explicit Binder(TForm1& form, QObject* parent = nullptr);

    TForm1& form() { return form_; }

    // Every widget below is created unparented; put it in a layout.
    QLineEdit* edit(const std::string& name);
    QPushButton* button(const std::string& name, const QString& caption);
    QComboBox* selector(const std::string& name);
    QCheckBox* check(const std::string& name, const QString& caption);
    QSlider* track(const std::string& name, Qt::Orientation orientation);
    QRadioButton* radio(const std::string& name, const QString& caption);
    QListView* list(const std::string& name);
    GridView* grid(const std::string& name, const std::vector<int>& widths);
    ChartView* chart(const std::string& name, ChartStyle style = {});
    // Shows `widget` exactly while the form's box of that name is visible.
    void box(const std::string& name, QWidget* widget);
    // A page control: its tabs follow the form's active tab, and a tab the
    // user picks becomes the active one.
    QTabWidget* page(const std::string& name);

    // Runs a user action through the form and syncs every widget after it.
    void act(const std::function<bool()>& action);
    void sync();
    // Extra work to do at every sync (page switching, captions ...).
    void on_sync(std::function<void()> f) { syncs_.push_back(std::move(f)); }

    static QLabel* label(const QString& text);
    // A label showing what `text` says of the form at every sync, hidden
    // while it says nothing.
    QLabel* live_label(std::function<std::string()> text);
    static QLabel* heading(const QString& text); // bold, blue

private:
    TForm1& form_;
    std::vector<std::function<void()>> syncs_;
    bool syncing_ = false;
};

} // namespace kavro::ui
