// The trace page's "Profile" tab through the form: built from trace_grid
// when the tab is shown after a load, touching no other table; statement and
// event picks, the window, Clear All.
#include "app/form.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <map>

using namespace kavro;

namespace {

struct Loaded {
    RecordingMessageBox messages;
    TForm1 form;
    explicit Loaded(const char* fixture) {
        form.message_box = &messages;
        form.FormShow();
        const std::string path =
            kavro::testing::fixture(std::string("profile/") + fixture).string();
        EXPECT_TRUE(form.user_set("SQLIdList", path));
        EXPECT_TRUE(form.user_click("Button102"));
    }
    std::string cell(const StringTable& t, int col, int row) {
        return std::string(t.Cell(col, row));
    }
};

std::map<std::string, std::uint64_t> other_revisions(const TForm1& form) {
    std::map<std::string, std::uint64_t> r;
    for (const auto& [name, table] : form.tables)
        if (!std::string_view(name).starts_with("profile_")) r[name] = table->revision();
    for (const auto& [name, chart] : form.charts)
        if (!std::string_view(name).starts_with("profile_")) r["chart " + name] = chart->revision();
    return r;
}

TEST(ProfileTab, IsBuiltWhenShownAfterALoadAndTouchesNothingElse) {
    Loaded l("trcsess_two.trc");
    ProfileTab& p = l.form.profile_tab;
    EXPECT_TRUE(p.stale);
    EXPECT_EQ(p.profile_grid.RowCount(), 2); // nothing yet: the load costs what it did
    EXPECT_EQ(l.form.trace.Page_SQL_Hist.tab_captions.back(), "Profile");

    const auto before = other_revisions(l.form);
    ASSERT_TRUE(l.form.user_tab("Page_SQL_Hist", ProfileTab::kTabIndex));
    EXPECT_EQ(other_revisions(l.form), before);
    EXPECT_FALSE(p.stale);

    // Largest first: unaccounted-for 3.000430 s, the idle wait 2 s, ...
    EXPECT_EQ(l.cell(p.profile_grid, 0, 0), "Component");
    EXPECT_EQ(l.cell(p.profile_grid, 0, 1), "unaccounted-for");
    EXPECT_EQ(l.cell(p.profile_grid, 1, 1), "3.000430");
    EXPECT_EQ(l.cell(p.profile_grid, 0, 2), "SQL*Net message from client");
    EXPECT_EQ(l.cell(p.profile_grid, 1, 2), "2.000000");
    EXPECT_EQ(l.cell(p.profile_grid, 6, 2), "idle");
    EXPECT_EQ(l.cell(p.profile_grid, 5, 2), "2000.000"); // max in ms
    EXPECT_NE(p.header.find("Response time 5.000 s in 2 sessions"), std::string::npos) << p.header;

    EXPECT_EQ(p.profile_statements.RowCount(), 3);
    EXPECT_EQ(l.cell(p.profile_statements, 0, 1), "s1");
    EXPECT_EQ(l.cell(p.profile_statements, 1, 1), "0.000400");
    EXPECT_EQ(l.cell(p.profile_statements, 11, 1), "select a");
    // The first statement's detail is shown at once.
    EXPECT_EQ(p.sql_text, "select a");
    EXPECT_EQ(l.cell(p.profile_calls, 0, 1), "Parse");
    EXPECT_EQ(l.cell(p.profile_calls, 0, 2), "Execute");
    EXPECT_EQ(l.cell(p.profile_calls, 3, 2), "0.000100");
    EXPECT_EQ(l.cell(p.profile_calls, 0, 4), "total");
    EXPECT_EQ(l.cell(p.profile_calls, 7, 4), "1");
    EXPECT_EQ(l.cell(p.profile_gaps, 0, 1), "2.999780");
    EXPECT_EQ(l.cell(p.profile_gaps, 1, 1), "2019-07-09T09:57:08.703725-07:00");

    // Showing the tab again builds nothing.
    const auto grid = p.profile_grid.revision();
    ASSERT_TRUE(l.form.user_tab("Page_SQL_Hist", ProfileTab::kTabIndex));
    EXPECT_EQ(p.profile_grid.revision(), grid);
}

TEST(ProfileTab, PicksShowAStatementAndAnEventsHistogram) {
    Loaded l("cursor_reuse.trc");
    ProfileTab& p = l.form.profile_tab;
    ASSERT_TRUE(l.form.user_tab("Page_SQL_Hist", ProfileTab::kTabIndex));
    ASSERT_TRUE(l.form.user_pick("profile_stmt", 2));
    EXPECT_EQ(p.detail_view, 0);
    EXPECT_NE(p.sql_text.find("no text"), std::string::npos);
    ASSERT_TRUE(l.form.user_pick("profile_stmt", 0));
    EXPECT_EQ(p.sql_text, "select 1\nfrom dual");
    EXPECT_EQ(p.profile_plan.RowCount(), 2);
    EXPECT_EQ(l.cell(p.profile_plan, 3, 1), "TABLE ACCESS FULL T");
    EXPECT_EQ(l.cell(p.profile_plan, 5, 1), "4");     // cr
    EXPECT_EQ(l.cell(p.profile_plan, 8, 1), "0.008"); // time in ms

    ASSERT_EQ(p.profile_event.count(), 1);
    ASSERT_TRUE(l.form.user_pick("profile_event", 0));
    EXPECT_EQ(p.detail_view, 1);
    EXPECT_EQ(p.profile_hist.RowCount(), 3);
    EXPECT_EQ(l.cell(p.profile_hist, 0, 1), "0.032");
    EXPECT_EQ(l.cell(p.profile_hist, 1, 1), "0.064");
    EXPECT_EQ(p.profile_hist_count.series(0).point_count(), 2);
    EXPECT_EQ(p.profile_hist_time.series(0).value(1), 100e-6);
}

TEST(ProfileTab, WindowRecomputesAndClearAllEmpties) {
    Loaded l("trcsess_two.trc");
    ProfileTab& p = l.form.profile_tab;
    ASSERT_TRUE(l.form.user_tab("Page_SQL_Hist", ProfileTab::kTabIndex));
    ASSERT_TRUE(l.form.user_set("profile_from", "0.5"));
    ASSERT_TRUE(l.form.user_set("profile_to", "09:57:09.703515"));
    ASSERT_TRUE(l.form.user_click("profile_apply"));
    EXPECT_EQ(p.current.first, 11000000);
    EXPECT_EQ(p.current.last, 11000210);
    EXPECT_EQ(p.profile_statements.RowCount(), 2);
    EXPECT_NE(p.header.find("window 0.5 to 09:57:09.703515"), std::string::npos);

    ASSERT_TRUE(l.form.user_set("profile_to", "later"));
    EXPECT_FALSE(l.form.user_click("profile_apply"));
    EXPECT_NE(l.messages.shown.back().find("'later'"), std::string::npos);
    EXPECT_EQ(p.profile_statements.RowCount(), 2); // what was shown stays

    ASSERT_TRUE(l.form.user_click("profile_whole"));
    EXPECT_EQ(p.profile_statements.RowCount(), 3);
    EXPECT_TRUE(p.profile_to.text.empty());

    ASSERT_TRUE(l.form.user_click("Button104"));
    EXPECT_EQ(p.profile_grid.RowCount(), 2);
    EXPECT_EQ(p.profile_grid.Cell(0, 1), "");
    EXPECT_EQ(p.profile_stmt.count(), 0);
    EXPECT_TRUE(p.header.empty());
    EXPECT_FALSE(p.stale);
}

} // namespace
