#pragma once

// A trace page filled by hand the way an analysis leaves it: trimmed result
// tables, one timeline series per title with its display list item, and the
// cursor references in cursor_combo. The views are then refiltered through
// the form's own event routing, as the user would.

#include "app/form.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kavro::testing {

struct PlanRow {
    std::string cursor, operation, time;
};

class TraceViewTest : public ::testing::Test {
protected:
    TraceViewTest() {
        ChangeDir in(KAVRO_SAMPLES);
        form.FormShow();
    }

    TracePage& page() { return form.trace; }

    void add_series(const std::string& title) {
        Series& s = page().trace_graph.add_series(SeriesKind::Line);
        s.set_title(title);
        s.add_point(1.0, 2.0);
        s.add_point(2.0, 3.0);
        page().dispbox.add(title);
    }

    static void fill(StringTable& table, const std::vector<std::vector<std::string>>& rows) {
        for (const auto& row : rows) table.AppendRow(row);
        table.TrimTable();
    }

    void fill_plan(const std::vector<PlanRow>& rows) {
        StringTable& plan = page().execplan_grid;
        for (const PlanRow& r : rows) {
            plan.SetSlotCell(0, r.cursor);
            plan.SetSlotCell(1, "1");
            plan.SetSlotCell(3, r.operation);
            plan.SetSlotCell(7, r.time);
            plan.SetSlotCell(10, "card " + r.operation);
            plan.CommitSlot();
        }
        plan.TrimTable();
        // The analysis gives exec_anal its titles by copying the plan's.
        CopyRow(plan, 0, page().exec_anal, 0);
    }

    // The standard trace: cursors 1, 3, 5, 10 and 31, so that #3: must not
    // take #31: along and a typed #1 takes #1: and #10:.
    void fill_standard() {
        for (const char* title : kTitles) add_series(title);
        fill(page().touch_grid1, {{"#3:db file sequential read", "1.5", "4"},
                                  {"#5:db file sequential read", "0.25", "2"},
                                  {"#31:db file scattered read", "2", "1"},
                                  {"#1:log file sync", "0.125", "3"},
                                  {"#10:direct path read", "3", "7"}});
        fill(page().touch_grid2, {{"#3:db file sequential read 77", "1.5", "4"},
                                  {"#5:db file sequential read 78", "0.25", "2"},
                                  {"#31:db file scattered read 12", "2", "1"}});
        fill_plan({{"#3:", "SORT ORDER BY", "120"},
                   {"#3:", " TABLE ACCESS FULL EMP", ""},
                   {"#5:", "HASH JOIN", "40"},
                   {"#31:", "  INDEX RANGE SCAN", "7"}});
        for (const char* ref : {"#3:", "#5:", "#31:", "#1:", "#10:"})
            AddUniqueItem(page().cursor_combo, ref);
        page().cursor_combo.select(0);
    }

    bool pick(const std::string& item) {
        const auto& items = page().cursor_combo.items();
        const auto at = std::find(items.begin(), items.end(), item);
        EXPECT_NE(at, items.end()) << item;
        return form.user_pick("cursor_combo", static_cast<int>(at - items.begin()));
    }
    bool type(const std::string& text) { return form.user_set("cursor_combo", text); }

    std::vector<std::string> active_titles() {
        std::vector<std::string> out;
        const Chart& chart = page().trace_graph;
        for (int i = 0; i < chart.series_count(); ++i)
            if (chart.series(i).active()) out.push_back(chart.series(i).title());
        return out;
    }

    static std::vector<std::string> labels(const Chart& chart) {
        std::vector<std::string> out;
        const Series& s = chart.series(0);
        for (int i = 0; i < s.point_count(); ++i) out.emplace_back(s.label(i));
        return out;
    }
    static std::vector<double> values(const Chart& chart) {
        std::vector<double> out;
        const Series& s = chart.series(0);
        for (int i = 0; i < s.point_count(); ++i) out.push_back(s.value(i));
        return out;
    }

    // A series is drawn exactly when its title is in the display list.
    void expect_lists_match_series() {
        const Chart& chart = page().trace_graph;
        const auto& shown = page().dispbox.items();
        const auto& hidden = page().hidebox.items();
        EXPECT_EQ(shown.size() + hidden.size(), static_cast<std::size_t>(chart.series_count()));
        for (int i = 0; i < chart.series_count(); ++i) {
            const Series& s = chart.series(i);
            const bool listed_shown = std::count(shown.begin(), shown.end(), s.title()) == 1;
            const bool listed_hidden = std::count(hidden.begin(), hidden.end(), s.title()) == 1;
            EXPECT_NE(listed_shown, listed_hidden) << s.title();
            EXPECT_EQ(s.active(), listed_shown) << s.title();
        }
    }

    static constexpr const char* kTitles[] = {
        "#3:db file sequential read(ela=)", // 0
        "#5:db file sequential read(ela=)", // 1
        "#3:FETCH(cr=)",                    // 2
        "#31:db file scattered read(ela=)", // 3
        "#1:log file sync(ela=)",           // 4
        "#10:FETCH(cr=)",                   // 5
        "#5:FETCH(cr=)",                    // 6
    };
    static std::string t(int i) { return kTitles[i]; }

    TForm1 form;
};

} // namespace kavro::testing
