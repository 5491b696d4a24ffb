#include "app/ui/binder.h"

#include "app/ui/text_list_model.h"
#include "core/progress.h"

#include <QSignalBlocker>

#include <set>
#include <stdexcept>

namespace kavro::ui {

namespace {
template <class T> T& must(T* p, const std::string& name) {
    if (!p) throw std::logic_error("the window binds an unknown control: " + name);
    return *p;
}
} // namespace

Binder::Binder(TForm1& form, QObject* parent) : QObject(parent), form_(form) {}

void Binder::act(const std::function<bool()>& action) {
    if (syncing_) return;
    action();
    // Bringing the widgets up to the action's results (a timeline of a
    // hundred thousand series drawn afresh) is part of the same wait: it
    // reports to the action's progress dialog.
    ProgressScope scope(form_.progress);
    sync();
}

void Binder::sync() {
    syncing_ = true;
    for (auto& f : syncs_) f();
    syncing_ = false;
}

QLabel* Binder::label(const QString& text) {
    return new QLabel(text);
}

QLabel* Binder::live_label(std::function<std::string()> text) {
    auto* w = new QLabel();
    w->setTextFormat(Qt::PlainText);
    w->setVisible(false);
    syncs_.push_back([w, text = std::move(text)] {
        const QString now = to_qstring(text());
        if (w->text() != now) w->setText(now);
        if (w->isHidden() != now.isEmpty()) w->setVisible(!now.isEmpty());
    });
    return w;
}

QLabel* Binder::heading(const QString& text) {
    auto* l = new QLabel(text);
    QFont f = l->font();
    f.setBold(true);
    f.setPixelSize(f.pixelSize() > 0 ? f.pixelSize() + 4 : 16);
    l->setFont(f);
    l->setStyleSheet("color: blue;");
    return l;
}

QLineEdit* Binder::edit(const std::string& name) {
    Edit& model = must(TForm1::find(form_.edits, name), name);
    auto* w = new QLineEdit(to_qstring(model.text));
    w->setObjectName(QString::fromStdString(name));
    connect(w, &QLineEdit::textEdited, this, [this, w, &model] {
        if (!syncing_) model.text = w->text().toStdString();
    });
    syncs_.push_back([w, &model] {
        const QString text = to_qstring(model.text);
        if (w->text() != text) {
            QSignalBlocker block(w);
            w->setText(text);
        }
    });
    return w;
}

QPushButton* Binder::button(const std::string& name, const QString& caption) {
    auto* w = new QPushButton(caption);
    w->setObjectName(QString::fromStdString(name));
    connect(w, &QPushButton::clicked, this,
            [this, name] { act([&] { return form_.user_click(name); }); });
    return w;
}

QComboBox* Binder::selector(const std::string& name) {
    Selector& model = must(TForm1::find(form_.selectors, name), name);
    auto* w = new QComboBox();
    w->setObjectName(QString::fromStdString(name));
    w->setEditable(model.editable());
    w->setInsertPolicy(QComboBox::NoInsert);
    w->setMaxVisibleItems(25);
    // The items are read from the selector as the list shows them: a cursor
    // list of thousands of entries is no item per entry.
    auto* items = new TextListModel(model.items(), w);
    w->setModel(items);
    if (auto* list = qobject_cast<QListView*>(w->view())) list->setUniformItemSizes(true);
    connect(w, &QComboBox::activated, this,
            [this, name](int index) { act([&] { return form_.user_pick(name, index); }); });
    if (model.editable()) {
        connect(w->lineEdit(), &QLineEdit::textEdited, this, [this, name](const QString& text) {
            act([&] { return form_.user_set(name, text.toStdString()); });
        });
    }
    auto seen = std::make_shared<std::uint64_t>(~std::uint64_t(0));
    syncs_.push_back([w, items, &model, seen] {
        QSignalBlocker block(w);
        if (*seen != model.revision()) {
            *seen = model.revision();
            items->refresh();
        }
        w->setCurrentIndex(model.item_index());
        if (model.editable()) {
            const QString text = to_qstring(model.text());
            if (w->currentText() != text) w->setEditText(text);
        }
    });
    return w;
}

QCheckBox* Binder::check(const std::string& name, const QString& caption) {
    CheckBox& model = must(TForm1::find(form_.checks, name), name);
    auto* w = new QCheckBox(caption);
    w->setObjectName(QString::fromStdString(name));
    w->setChecked(model.checked());
    connect(w, &QCheckBox::clicked, this,
            [this, name] { act([&] { return form_.user_click(name); }); });
    syncs_.push_back([w, &model] {
        QSignalBlocker block(w);
        w->setChecked(model.checked());
    });
    return w;
}

QSlider* Binder::track(const std::string& name, Qt::Orientation orientation) {
    TrackBar& model = must(TForm1::find(form_.tracks, name), name);
    auto* w = new QSlider(orientation);
    w->setObjectName(QString::fromStdString(name));
    w->setRange(model.min(), model.max());
    w->setValue(model.position());
    w->setTickPosition(QSlider::NoTicks);
    connect(w, &QSlider::valueChanged, this,
            [this, name](int value) { act([&] { return form_.user_track(name, value); }); });
    syncs_.push_back([w, &model] {
        QSignalBlocker block(w);
        w->setValue(model.position());
    });
    return w;
}

QRadioButton* Binder::radio(const std::string& name, const QString& caption) {
    RadioButton& model = must(TForm1::find(form_.radios, name), name);
    auto* w = new QRadioButton(caption);
    w->setObjectName(QString::fromStdString(name));
    // The form keeps the group exclusive; Qt's own exclusivity would
    // uncheck buttons behind the form's back.
    w->setAutoExclusive(false);
    w->setChecked(model.checked());
    connect(w, &QRadioButton::clicked, this,
            [this, name] { act([&] { return form_.user_click(name); }); });
    syncs_.push_back([w, &model] {
        QSignalBlocker block(w);
        w->setChecked(model.checked());
    });
    return w;
}

QListView* Binder::list(const std::string& name) {
    ListBox& model = must(TForm1::find(form_.lists, name), name);
    auto* w = new QListView();
    w->setObjectName(QString::fromStdString(name));
    w->setSelectionMode(QAbstractItemView::SingleSelection);
    w->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Read on demand, each row as high as the next: the display list of a
    // large trace holds a hundred thousand series titles.
    w->setUniformItemSizes(true);
    auto* items = new TextListModel(model.items(), w);
    w->setModel(items);
    connect(w->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, &model](const QModelIndex& current) {
                if (!syncing_) model.select(current.isValid() ? current.row() : -1);
            });
    auto seen = std::make_shared<std::uint64_t>(~std::uint64_t(0));
    syncs_.push_back([w, items, &model, seen] {
        if (*seen == model.revision()) return;
        *seen = model.revision();
        QSignalBlocker block(w->selectionModel());
        items->refresh();
        w->setCurrentIndex(items->index(model.item_index(), 0));
    });
    return w;
}

GridView* Binder::grid(const std::string& name, const std::vector<int>& widths) {
    StringTable& model = must(TForm1::find(form_.tables, name), name);
    auto* w = new GridView(model, widths);
    w->setObjectName(QString::fromStdString(name));
    // Result tables sort their view by a header click; raw lines, rules and
    // the ps rows (which have their own sort choices) do not.
    static const std::set<std::string> sortable = {"trace_detail", "trace_detail2", "touch_grid1",
                                                   "touch_grid2",  "execplan_grid", "exec_anal",
                                                   "objname_grid", "nets_anal",     "nets_raw"};
    w->set_sortable(sortable.count(name) > 0);
    // Tab leaves the grid for the next control: the grid selects whole rows,
    // so stepping from cell to cell would only hold the keyboard there.
    w->setTabKeyNavigation(false);
    syncs_.push_back([w] { w->refresh(); });
    return w;
}

ChartView* Binder::chart(const std::string& name, ChartStyle style) {
    Chart& model = must(TForm1::find(form_.charts, name), name);
    auto* w = new ChartView(model, std::move(style));
    w->setObjectName(QString::fromStdString(name));
    syncs_.push_back([w] { w->sync(); });
    return w;
}

void Binder::box(const std::string& name, QWidget* widget) {
    Box& model = must(TForm1::find(form_.boxes, name), name);
    widget->setObjectName(QString::fromStdString(name));
    widget->setVisible(model.visible);
    syncs_.push_back([widget, &model] {
        if (widget->isHidden() == model.visible) widget->setVisible(model.visible);
    });
}

QTabWidget* Binder::page(const std::string& name) {
    PageControl& model = must(TForm1::find(form_.pages, name), name);
    auto* w = new QTabWidget();
    w->setObjectName(QString::fromStdString(name));
    connect(w, &QTabWidget::currentChanged, this, [this, &model](int index) {
        if (!syncing_ && index >= 0) model.active_tab = index;
    });
    syncs_.push_back([w, &model] {
        if (w->currentIndex() != model.active_tab && model.active_tab < w->count()) {
            QSignalBlocker block(w);
            w->setCurrentIndex(model.active_tab);
        }
    });
    return w;
}

} // namespace kavro::ui
