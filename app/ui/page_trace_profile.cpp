// The SQL trace page: "Profile" tab. The summary and the window across the
// top; the profile (a bar per row for its share of the response time) beside
// the statements; below, the picked statement, the picked event's
// histogram, the objects, and the errors, gaps and unreadable lines.
#include "app/ui/page_kit.h"
#include "app/ui/pages.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

namespace kavro::ui {

namespace {

constexpr int kShareColumn = 2;
constexpr int kIdleColumn = 6;

// Paints the share column of the profile as a bar under its figure: grey
// for idle events, green for CPU, orange for unaccounted-for, blue for the
// other waits.
class ShareBars : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        // The cell's background and selection as any other cell, without its text.
        QStyleOptionViewItem o(option);
        initStyleOption(&o, index);
        const QString text = o.text;
        o.text.clear();
        QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &o, painter, option.widget);
        bool ok = false;
        const double share = text.toDouble(&ok);
        if (!ok) return;
        const QString name = index.siblingAtColumn(0).data().toString();
        const bool idle = !index.siblingAtColumn(kIdleColumn).data().toString().isEmpty();
        const QColor colour = idle                        ? QColor(0xC4, 0xC4, 0xC4)
                              : name == "CPU"             ? QColor(0x6A, 0xB0, 0x4C)
                              : name == "unaccounted-for" ? QColor(0xF0, 0x9A, 0x3E)
                                                          : QColor(0x5B, 0x8F, 0xD0);
        const QRect cell = option.rect.adjusted(2, 3, -2, -3);
        const int label = option.fontMetrics.horizontalAdvance("100.0 %") + 6;
        QRect bar = cell.adjusted(0, 0, -label, 0);
        bar.setWidth(static_cast<int>(bar.width() * std::clamp(share, 0.0, 100.0) / 100.0));
        painter->save();
        painter->fillRect(bar, colour);
        painter->setPen(option.state & QStyle::State_Selected
                            ? option.palette.color(QPalette::HighlightedText)
                            : option.palette.color(QPalette::Text));
        painter->drawText(cell, Qt::AlignRight | Qt::AlignVCenter, text + " %");
        painter->restore();
    }
};

// Figures read from the right, as DBAs read columns of numbers.
void right_align(GridView* grid, std::initializer_list<int> text_columns) {
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    (void)text_columns;
}

GridView* titled_grid(Binder& b, const std::string& name, const std::vector<int>& widths,
                      const QString& tip, bool sortable = true) {
    GridView* grid = b.grid(name, widths);
    grid->set_sortable(sortable);
    grid->setToolTip(tip);
    right_align(grid, {});
    return grid;
}

QWidget* captioned(const QString& caption, QWidget* widget) {
    auto* w = new QWidget();
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);
    QLabel* label = Binder::label(caption);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    v->addWidget(label);
    v->addWidget(widget, 1);
    return w;
}

// Runs `pick` when the user moves to another row, by mouse or keyboard, and
// not when a sync moves the view.
template <class F> void on_row_picked(GridView* grid, F pick) {
    QObject::connect(grid, &QAbstractItemView::clicked, grid, [grid, pick](const QModelIndex& i) {
        pick(grid->table_model()->table_row(i.row()));
    });
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, grid,
                     [grid, pick](const QModelIndex& now, const QModelIndex&) {
                         if (grid->hasFocus() && now.isValid())
                             pick(grid->table_model()->table_row(now.row()));
                     });
}

// Builds the profile when the tab comes into view after a load (after the
// event, so the progress dialog does not open inside a show event).
class ProfilePage : public QWidget {
public:
    explicit ProfilePage(Binder& b) : b_(b) {}

protected:
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        QTimer::singleShot(0, this, [this] {
            if (!isVisible() || !b_.form().profile_tab.stale) return;
            b_.act([this] { return b_.form().user_tab("Page_SQL_Hist", ProfileTab::kTabIndex); });
        });
    }

private:
    Binder& b_;
};

QWidget* statement_view(Binder& b) {
    auto* w = new QWidget();
    auto* h = new QHBoxLayout(w);
    h->setContentsMargins(0, 0, 0, 0);

    auto* left = new QVBoxLayout();
    auto* pick = new QHBoxLayout();
    pick->addWidget(Binder::label("Statement:"));
    QComboBox* stmt = b.selector("profile_stmt");
    stmt->setMinimumWidth(160);
    pick->addWidget(stmt, 1);
    left->addLayout(pick);
    auto* sql = new QPlainTextEdit();
    sql->setObjectName("profile_sql");
    sql->setReadOnly(true);
    sql->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    sql->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    left->addWidget(sql, 1);
    auto seen = std::make_shared<std::uint64_t>(~std::uint64_t(0));
    b.on_sync([&b, sql, seen] {
        const ProfileTab& t = b.form().profile_tab;
        if (*seen == t.text_revision) return;
        *seen = t.text_revision;
        sql->setPlainText(to_qstring(t.sql_text));
    });
    h->addLayout(left, 4);

    auto* right = new QVBoxLayout();
    GridView* calls = titled_grid(b, "profile_calls", {80, 70, 90, 90, 80, 80, 80, 80},
                                  "Parse, execute and fetch calls of the statement", false);
    // Parse, Execute, Fetch, Close and total show whole.
    calls->setMinimumHeight(calls->verticalHeader()->defaultSectionSize() * 6 +
                            calls->horizontalHeader()->sizeHint().height() + 6);
    right->addWidget(captioned("Calls", calls), 3);
    right->addWidget(captioned("Waits", titled_grid(b, "profile_waits", {230, 70, 90, 80, 80},
                                                    "The statement's waits by event")),
                     3);
    right->addWidget(
        captioned("Plan (STAT lines)",
                  titled_grid(b, "profile_plan", {40, 50, 70, 300, 70, 90, 80, 80, 80, 60, 80},
                              "The first plan the trace wrote for the statement", false)),
        4);
    h->addLayout(right, 6);
    return w;
}

QWidget* histogram_view(Binder& b) {
    auto* w = new QWidget();
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    auto* pick = new QHBoxLayout();
    pick->addWidget(Binder::label("Event:"));
    QComboBox* event = b.selector("profile_event");
    event->setMinimumWidth(320);
    pick->addWidget(event);
    pick->addStretch();
    v->addLayout(pick);
    auto* h = new QHBoxLayout();
    ChartStyle bars;
    bars.legend = false;
    bars.labels_on_bottom_axis = true;
    bars.grouped_numbers = true;
    bars.value_format = "%.6g";
    ChartStyle count = bars;
    count.value_axis_title = "Waits";
    ChartStyle time = bars;
    time.value_axis_title = "Seconds";
    h->addWidget(b.chart("profile_hist_count", count), 3);
    h->addWidget(b.chart("profile_hist_time", time), 3);
    h->addWidget(titled_grid(b, "profile_hist", {80, 80, 70, 90, 60},
                             "Waits of the event by duration, in powers of two", false),
                 2);
    v->addLayout(h, 1);
    return w;
}

QWidget* errors_view(Binder& b) {
    auto* w = new QWidget();
    auto* h = new QHBoxLayout(w);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(captioned("Errors", titled_grid(b, "profile_errors", {90, 70, 130, 60},
                                                 "ERROR and PARSE ERROR lines by error number")),
                 3);
    h->addWidget(
        captioned("Gaps over one second", titled_grid(b, "profile_gaps", {90, 230, 200},
                                                      "Time no line of the session accounts for")),
        4);
    h->addWidget(captioned("Lines passed over as unreadable",
                           titled_grid(b, "profile_ignored", {60, 500},
                                       "Lines of a known form that lack a part", false)),
                 5);
    return w;
}

} // namespace

QWidget* build_trace_profile_tab(Binder& b) {
    auto* tab = new ProfilePage(b);
    auto* v = new QVBoxLayout(tab);

    auto* top = new QHBoxLayout();
    QLabel* header = Binder::label("");
    header->setObjectName("profile_header");
    header->setTextInteractionFlags(Qt::TextSelectableByMouse);
    header->setWordWrap(true);
    header->setMinimumHeight(header->fontMetrics().height() * 3 + 4);
    auto seen = std::make_shared<std::uint64_t>(~std::uint64_t(0));
    b.on_sync([&b, header, seen] {
        const ProfileTab& t = b.form().profile_tab;
        if (*seen == t.text_revision) return;
        *seen = t.text_revision;
        header->setText(t.header.empty() ? QString("Load a trace file: its profile shows here.")
                                         : to_qstring(t.header));
    });
    top->addWidget(header, 1);
    top->addWidget(Binder::label("From"));
    QLineEdit* from = b.edit("profile_from");
    from->setPlaceholderText("start");
    from->setToolTip("A wall-clock time (2019-07-09 09:57:10, 09:57:10) or seconds from the start");
    from->setFixedWidth(170);
    top->addWidget(from);
    top->addWidget(Binder::label("To"));
    QLineEdit* to = b.edit("profile_to");
    to->setPlaceholderText("end");
    to->setToolTip(from->toolTip());
    to->setFixedWidth(170);
    top->addWidget(to);
    top->addWidget(b.button("profile_apply", "Apply"));
    top->addWidget(b.button("profile_whole", "Whole Trace"));
    v->addLayout(top);

    auto* split = new QSplitter(Qt::Vertical);
    auto* upper = new QSplitter(Qt::Horizontal);
    GridView* profile =
        titled_grid(b, "profile_grid", {200, 95, 130, 65, 60, 60, 35},
                    "Where the response time went; pick an event for its histogram");
    profile->setItemDelegateForColumn(kShareColumn, new ShareBars(profile));
    GridView* statements =
        titled_grid(b, "profile_statements", {125, 80, 80, 80, 75, 70, 90, 95, 50, 45, 110, 400},
                    "Statements by elapsed time; pick one for its calls, waits and plan");
    upper->addWidget(captioned("Response-time profile", profile));
    upper->addWidget(captioned("Statements", statements));
    upper->setStretchFactor(0, 5);
    upper->setStretchFactor(1, 7);
    upper->setSizes({650, 750});

    auto* details = new QTabWidget();
    details->setObjectName("profile_details");
    details->addTab(statement_view(b), "Statement");
    details->addTab(histogram_view(b), "Histogram");
    details->addTab(titled_grid(b, "profile_objects", {90, 260, 80, 90, 80},
                                "Waits that name an object (obj#), by object and event"),
                    "Objects");
    details->addTab(errors_view(b), "Errors and Gaps");
    split->addWidget(upper);
    split->addWidget(details);
    split->setStretchFactor(0, 5);
    split->setStretchFactor(1, 6);
    split->setSizes({290, 440});
    v->addWidget(split, 1);

    // The detail the user last asked for (a statement or an event) comes
    // to the front, by a pick in a grid, a selector or kavro's own steps.
    auto asked = std::make_shared<std::uint64_t>(0);
    b.on_sync([&b, details, asked] {
        const ProfileTab& t = b.form().profile_tab;
        if (*asked == t.detail_revision) return;
        *asked = t.detail_revision;
        details->setCurrentIndex(t.detail_view);
    });
    on_row_picked(statements, [&b](int row) {
        if (row < 1 || row > b.form().profile_tab.profile_stmt.count()) return;
        b.act([&] { return b.form().user_pick("profile_stmt", row - 1); });
    });
    on_row_picked(profile, [&b](int row) {
        const std::string name(b.form().profile_tab.profile_grid.Cell(0, row));
        const auto& events = b.form().profile_tab.profile_event.items();
        for (std::size_t i = 0; i < events.size(); ++i)
            if (events[i] == name) {
                b.act([&] { return b.form().user_pick("profile_event", static_cast<int>(i)); });
                return;
            }
    });
    return tab;
}

} // namespace kavro::ui
