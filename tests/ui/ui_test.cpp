#include "app/ui/binder.h"
#include "app/ui/chart_view.h"
#include "app/ui/main_window.h"
#include "app/ui/table_model.h"
#include "ui_app.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBarSeries>
#include <QFileInfo>
#include <QHeaderView>
#include <QLegend>

#include <QLineSeries>
#include <QPieSeries>
#include <fstream>

using namespace kavro;
using namespace kavro::ui;

namespace {
QApplication& app() {
    return test_app();
}
} // namespace

TEST(GridModel, ReadsTheTableOnDemandWithRowZeroAsHeader) {
    app();
    StringTable t(2);
    t.SetCell(0, 0, "Event");
    t.SetCell(1, 0, "Time");
    t.AppendRow({"#3:read", "12"});
    StringTableModel model(t);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 2); // one data row and the append slot
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Event");
    EXPECT_EQ(model.data(model.index(0, 1), Qt::DisplayRole).toString(), "12");
    for (int i = 0; i < 1000; ++i) t.AppendRow({"x"});
    model.refresh();
    EXPECT_EQ(model.rowCount(), 1002);
}

TEST(Binder, SyncingWidgetsRunsNoHandler) {
    app();
    TForm1 form;
    Binder b(form);
    QCheckBox* lock = b.check("asplock", "Aspect Lock");
    QSlider* rot = b.track("chartrot", Qt::Horizontal);
    QComboBox* cursors = b.selector("cursor_combo");
    form.mpstat.asplock.set_checked(false); // from code: the box's action runs once, here
    form.mpstat.chartrot.set_position(300);
    form.trace.cursor_combo.add("#3:");
    int handler_runs = 0;
    form.trace.cursor_combo.on_change = [&] { ++handler_runs; };
    b.sync();
    EXPECT_FALSE(lock->isChecked());
    EXPECT_EQ(rot->value(), 300);
    EXPECT_EQ(cursors->count(), 2);
    EXPECT_EQ(handler_runs, 0);
    // a user's pick runs the change action once
    emit cursors->activated(1);
    EXPECT_EQ(handler_runs, 1);
    EXPECT_EQ(form.trace.cursor_combo.text(), "#3:");
}

// The display list of a large trace holds a hundred thousand titles: the
// list and the cursor selector read them on demand, and follow the form.
TEST(Binder, ListsAndSelectorsReadTheirItemsOnDemand) {
    app();
    TForm1 form;
    Binder b(form);
    QListView* shown = b.list("dispbox");
    QComboBox* cursors = b.selector("cursor_combo");
    QAbstractItemModelTester list_tester(shown->model(),
                                         QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (int i = 0; i < 100000; ++i) {
        form.trace.dispbox.add("#" + std::to_string(i) + ":db file sequential read(ela=)");
        form.trace.cursor_combo.add("#" + std::to_string(i) + ":");
    }
    form.trace.cursor_combo.select(2);
    b.sync();
    EXPECT_EQ(shown->model()->rowCount(), 100000);
    EXPECT_EQ(shown->model()->index(99999, 0).data().toString(),
              "#99999:db file sequential read(ela=)");
    EXPECT_EQ(cursors->count(), 100001); // "All" first
    EXPECT_EQ(cursors->currentText(), "#1:");
    // The user's choice in the list goes into the model.
    shown->setCurrentIndex(shown->model()->index(7, 0));
    EXPECT_EQ(form.trace.dispbox.item_index(), 7);
    form.trace.dispbox.remove(0);
    form.trace.dispbox.select(3);
    b.sync();
    EXPECT_EQ(shown->model()->rowCount(), 99999);
    EXPECT_EQ(shown->currentIndex().row(), 3);
    EXPECT_EQ(shown->model()->index(0, 0).data().toString(), "#1:db file sequential read(ela=)");
}

TEST(ChartView, DrawsEverySeriesKindAndFollowsActiveFlags) {
    app();
    Chart lines;
    Series& s = lines.add_series(SeriesKind::Line);
    s.set_title("#3:db file sequential read(ela=)");
    for (int i = 0; i < 100000; ++i) s.add_point(i, i % 17);
    ChartView lv(lines, {});
    lv.show(); // a chart is built once it is shown
    auto series = lv.chart()->series();
    ASSERT_EQ(series.size(), 1);
    auto* drawn = qobject_cast<QLineSeries*>(series[0]);
    ASSERT_NE(drawn, nullptr);
    EXPECT_LE(drawn->count(), 4002); // reduced per bucket, the model keeps all
    EXPECT_EQ(s.point_count(), 100000);
    s.set_active(false);
    lv.sync();
    EXPECT_FALSE(drawn->isVisible());
    EXPECT_EQ(lv.chart()->series()[0], drawn); // a flag change does not rebuild

    Chart pie;
    Series& p = pie.add_series(SeriesKind::Pie, PointOrder::Addition);
    p.add_value(3, "#3:a");
    p.add_value(5, "#3:b");
    ChartView pv(pie, {});
    pv.show();
    auto* drawn_pie = qobject_cast<QPieSeries*>(pv.chart()->series().value(0));
    ASSERT_NE(drawn_pie, nullptr);
    EXPECT_EQ(drawn_pie->count(), 2);

    Chart bars;
    Series& bar = bars.add_series(SeriesKind::Bar);
    bar.add_value(1, "10:00:01");
    bar.add_value(1, "10:00:01"); // equal labels are fine
    ChartView bv(bars, {});
    bv.show();
    EXPECT_EQ(bv.chart()->series().size(), 1);

    Chart gantt;
    Series& g = gantt.add_series(SeriesKind::Gantt);
    g.add_gantt_bar(0.25, 0.5, 0, "1234");
    ChartView gv(gantt, {});
    gv.show();
    EXPECT_FALSE(gv.chart()->axes().isEmpty());
}

TEST(MainWindow, OpensWithTheFrontPageOfTheForm) {
    app();
    TForm1 form;
    MainWindow window(form);
    auto* stack = window.findChild<QStackedWidget*>();
    ASSERT_NE(stack, nullptr);
    EXPECT_EQ(stack->count(), 7);
    form.user_click("OSWps1");
    window.binder().sync();
    EXPECT_EQ(stack->currentWidget()->objectName(), "OSWPage");
}

TEST(GridView, HeaderClicksSortTheViewOnlyAndCopyGivesTabSeparatedRows) {
    app();
    StringTable t(2);
    t.SetCell(0, 0, "Event");
    t.SetCell(1, 0, "Time");
    t.AppendRow({"b", "10"});
    t.AppendRow({"a", "9"});
    t.AppendRow({"c", "100"});
    t.TrimTable();
    GridView grid(t, {100, 100});
    grid.set_sortable(true);
    const auto column = [&](int c) {
        QStringList out;
        for (int r = 0; r < grid.model()->rowCount(); ++r)
            out << grid.model()->data(grid.model()->index(r, c), Qt::DisplayRole).toString();
        return out;
    };
    emit grid.horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(column(1), (QStringList{"9", "10", "100"})); // numbers as numbers
    emit grid.horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(column(1), (QStringList{"100", "10", "9"}));
    EXPECT_EQ(t.Cell(0, 1), "b"); // the table itself keeps its order
    grid.selectRow(0);
    EXPECT_EQ(grid.selected_text(), "c\t100\n");
    emit grid.horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(column(0), (QStringList{"b", "a", "c"}));
}

TEST(MainWindow, AFileDroppedOnALoadTabIsNamedAndLoaded) {
    app();
    const std::string path = std::string(KAVRO_FIXTURES) + "/drop.trc";
    {
        std::ofstream out(path);
        out << "WAIT #1: nam='x' ela= 5 tim=10\nline two\n";
    }
    TForm1 form;
    MainWindow window(form);
    form.user_click("hISTORY1");
    window.binder().sync();
    EXPECT_TRUE(window.drop_file(QString::fromStdString(path)));
    EXPECT_EQ(form.trace.SQLIdList.text, path);
    EXPECT_EQ(form.trace.trace_grid.RowCount(), 4);
    EXPECT_EQ(form.trace.trace_grid.Cell(0, 2), "line two");
    form.user_tab("Page_SQL_Hist", 2); // not a load tab
    window.binder().sync();
    EXPECT_FALSE(window.drop_file(QString::fromStdString(path)));
    std::remove(path.c_str());
}

TEST(ChartView, ManySeriesGetAScrollingLegendAndChartsSaveAsPngOrSvg) {
    app();
    Chart chart;
    for (int i = 0; i < 30; ++i) {
        Series& s = chart.add_series(SeriesKind::Line);
        s.set_title("process " + std::to_string(i));
        s.add_value(i, "09:00:00");
    }
    chart.series(3).set_active(false);
    ChartView view(chart, {});
    view.resize(800, 500);
    view.show();
    EXPECT_FALSE(view.chart()->legend()->isVisible());
    const QStringList entries = view.side_legend_entries();
    ASSERT_EQ(entries.size(), 30); // the hidden series keeps its entry
    EXPECT_EQ(entries[3], "process 3");

    const std::string dir = ::testing::TempDir();
    for (const char* name : {"chart.png", "chart.svg"}) {
        const QString file = QString::fromStdString(dir + name);
        EXPECT_TRUE(view.save_image(file)) << name;
        EXPECT_GT(QFileInfo(file).size(), 100) << name;
    }
}
