// The Profile tab in the window: picking the tab after a load builds the
// profile; a click on a statement row shows its detail, one on an event row
// its histogram.
#include "app/ui/main_window.h"
#include "app/ui/table_model.h"
#include "ui_app.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

using namespace kavro;
using namespace kavro::ui;

TEST(ProfileTabView, ShowingTheTabBuildsTheProfileAndRowClicksPickTheDetail) {
    test_app();
    TForm1 form;
    MainWindow window(form);
    // Start-up reports the missing db.ini; no modal box in a test.
    RecordingMessageBox messages;
    form.message_box = &messages;
    window.resize(1406, 890);
    window.show();
    form.user_click("hISTORY1");
    form.user_set("SQLIdList", kavro::testing::fixture("profile/cursor_reuse.trc").string());
    form.user_click("Button102");
    window.binder().sync();
    ASSERT_TRUE(form.profile_tab.stale);

    auto* page = window.findChild<QTabWidget*>("Page_SQL_Hist");
    ASSERT_NE(page, nullptr);
    page->setCurrentIndex(ProfileTab::kTabIndex); // as the user's click on the tab does
    QTRY_VERIFY_WITH_TIMEOUT(!form.profile_tab.stale, 2000);

    auto* statements = window.findChild<GridView*>("profile_statements");
    auto* profile = window.findChild<GridView*>("profile_grid");
    auto* details = window.findChild<QTabWidget*>("profile_details");
    auto* sql = window.findChild<QPlainTextEdit*>("profile_sql");
    ASSERT_TRUE(statements && profile && details && sql);
    EXPECT_EQ(statements->model()->rowCount(), 3);
    EXPECT_EQ(sql->toPlainText(), "select 1\nfrom dual");

    emit statements->clicked(statements->model()->index(1, 0));
    EXPECT_EQ(form.profile_tab.profile_stmt.item_index(), 1);
    EXPECT_EQ(sql->toPlainText(), "select 2 from dual");
    EXPECT_EQ(details->currentIndex(), 0);

    // Row 2 of the profile is the one wait event (after unaccounted-for).
    ASSERT_EQ(profile->model()->index(1, 0).data().toString(), "db file sequential read");
    emit profile->clicked(profile->model()->index(1, 0));
    EXPECT_EQ(details->currentIndex(), 1);
    EXPECT_EQ(form.profile_tab.profile_hist.RowCount(), 3);
}
