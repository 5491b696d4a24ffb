// The views refiltered after a real analysis of a trace file.
#include "core/text.h"
#include "hand_filled.h"

#include <filesystem>

using namespace kavro;
using namespace kavro::testing;
using Strings = std::vector<std::string>;

namespace {

class AnalysedTrace : public TraceViewTest {
protected:
    bool analyse(const std::filesystem::path& file) {
        return form.user_set("SQLIdList", file.string()) && form.user_click("Button102") &&
               form.user_click("Button2");
    }

    // Whatever the selection, every view shows that cursor and nothing else,
    // and the lists say which lines are drawn.
    void expect_only(const std::string& ref) {
        SCOPED_TRACE(ref);
        for (const std::string& title : active_titles())
            EXPECT_TRUE(kavro::Contains(title, ref)) << title;
        for (const Chart* pie : {&page().touch_graph1, &page().touch_graph2, &page().touch_graph3,
                                 &page().touch_graph4})
            for (const std::string& label : labels(*pie))
                EXPECT_TRUE(kavro::Contains(label, ref)) << label;
        const StringTable& anal = page().exec_anal;
        for (int row = 1; row < anal.RowCount() - 1; ++row) EXPECT_EQ(anal.Cell(0, row), ref);
        EXPECT_EQ(anal.RowSnapshot(anal.RowCount() - 1), Strings(11));
        EXPECT_EQ(page().execplan_graph.series(0).point_count(), anal.RowCount() - 2);
        EXPECT_EQ(page().execplan_graph.title(), (Strings{"Execution Plan(" + ref + ")"}));
        expect_lists_match_series();
    }
};

TEST_F(AnalysedTrace, PickingACursorAfterAnAnalysis) {
    ASSERT_TRUE(analyse(fixture("trace_view/three_cursors.trc"))) << form.last_error();
    ASSERT_EQ(page().cursor_combo.items(), (Strings{"All", "#3:", "#31:", "#5:"}));
    const Strings published = page().dispbox.items();

    page().rb_view_stat.select();
    ASSERT_TRUE(pick("#3:")) << form.last_error();
    expect_only("#3:");
    EXPECT_EQ(active_titles(), (Strings{"#3:db file sequential read(ela=)", "#3:FETCH(e=)",
                                        "#3:FETCH(cr=)", "#3:FETCH(r=)"}));
    EXPECT_EQ(labels(page().touch_graph3), (Strings{"#3:db file sequential read(obj#=77 )"}));
    EXPECT_EQ(labels(page().execplan_graph),
              (Strings{" SORT ORDER BY         ", " TABLE ACCESS FULL EMP "}));
    EXPECT_EQ(values(page().execplan_graph), (std::vector<double>{290, 250}));
    EXPECT_EQ(page().hidebox.items(),
              (Strings{"#31:FETCH(r=)", "#31:FETCH(cr=)", "#31:FETCH(e=)",
                       "#5:db file sequential read(ela=)", "#5:log file sync(ela=)",
                       "#31:db file scattered read(ela=)"}));

    ASSERT_TRUE(pick("#5:")) << form.last_error();
    expect_only("#5:");
    EXPECT_EQ(labels(page().execplan_graph), (Strings{" UPDATE  EMP "}));
    EXPECT_EQ(page().exec_anal.Cell(8, 1), ""); // a plan step without cost is copied as it is

    // Typing "All" is the same as picking it: everything is back.
    ASSERT_TRUE(type("Al"));
    ASSERT_TRUE(type("All")) << form.last_error();
    EXPECT_EQ(active_titles().size(), published.size());
    EXPECT_EQ(page().execplan_graph.series(0).point_count(), 4);
    EXPECT_TRUE(page().hidebox.items().empty());
    expect_lists_match_series();
}

TEST_F(AnalysedTrace, EveryCursorOfARealTrace) {
    const auto file = real_data("trace/js122a1_ora_9850.trc");
    if (!std::filesystem::exists(file)) GTEST_SKIP() << "no real trace at " << file;
    ASSERT_TRUE(analyse(file)) << form.last_error();
    const Strings refs = page().cursor_combo.items();
    ASSERT_GT(refs.size(), 10u);
    for (std::size_t i = 1; i < refs.size(); ++i) {
        ASSERT_TRUE(form.user_pick("cursor_combo", static_cast<int>(i))) << form.last_error();
        expect_only(refs[i]);
        EXPECT_FALSE(page().dispbox.items().empty()) << refs[i];
    }
    ASSERT_TRUE(form.user_pick("cursor_combo", 0)) << form.last_error();
    EXPECT_EQ(page().dispbox.count(), page().trace_graph.series_count());
    EXPECT_EQ(static_cast<int>(active_titles().size()), page().trace_graph.series_count());
}

} // namespace
