#pragma once

// A started window for the trace tests: start-up runs in an empty folder, so
// no configuration file is found and every rules table starts empty; the
// tests then set the rules and lines they need.

#include "app/form.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavro::testing {

using Rows = std::vector<std::vector<std::string>>;

class TraceForm {
public:
    TraceForm() {
        ChangeDir here(dir.path());
        form.FormShow();
    }

    TracePage& page() { return form.trace; }
    TraceRulesPage& rules() { return form.rules; }

    // The rules table holds exactly these rule texts, open as the rules file
    // leaves the fetch tables.
    static void set_rules(StringTable& table, const std::vector<std::string>& texts) {
        table.ResetTable();
        for (const auto& t : texts) table.AppendRow({t});
    }

    // The default rules of the worked examples: ela= plotted and summed,
    // obj#= the block metric, no fetch metrics.
    void wait_rules(const std::vector<std::string>& plotted = {"ela="},
                    const std::vector<std::string>& summed = {"ela="},
                    const std::vector<std::string>& blocks = {"obj#="}) {
        set_rules(rules().tracerules_grid1, plotted);
        set_rules(rules().tracerules_grid2, summed);
        set_rules(rules().tracerules_grid3, blocks);
    }
    void fetch_rules(const std::vector<std::string>& plotted,
                     const std::vector<std::string>& summed) {
        set_rules(rules().tracerules_grid4, plotted);
        set_rules(rules().tracerules_grid5, summed);
    }

    // Loads the lines through the load button, from a file of their own.
    void load(const std::vector<std::string>& lines) {
        std::string content;
        for (const auto& l : lines) content += l + "\n";
        form.trace.SQLIdList.text = dir.file("lines.trc", content);
        ASSERT_TRUE(form.user_click("Button102")) << form.last_error();
    }

    // Loads the lines and runs the analysis; true when it ended without error.
    bool analyse(const std::vector<std::string>& lines) {
        load(lines);
        return form.user_click("Button2");
    }

    TempDir dir;
    TForm1 form;
};

// The rows of a table below its titles, every column; a last row that is
// entirely blank (an append slot, or the blank row of an empty table) is
// left out.
inline Rows rows(const StringTable& t) {
    Rows out;
    for (int r = 1; r < t.RowCount(); ++r) out.push_back(t.RowSnapshot(r));
    if (!out.empty()) {
        bool blank = true;
        for (const auto& cell : out.back()) blank = blank && cell.empty();
        if (blank) out.pop_back();
    }
    return out;
}

inline std::vector<std::string> titles(const Chart& chart) {
    std::vector<std::string> out;
    for (int i = 0; i < chart.series_count(); ++i) out.push_back(chart.series(i).title());
    return out;
}

inline std::vector<std::pair<std::string, double>> slices(const Chart& chart) {
    std::vector<std::pair<std::string, double>> out;
    const Series& s = chart.series(0);
    for (int i = 0; i < s.point_count(); ++i) out.emplace_back(s.label(i), s.value(i));
    return out;
}

inline bool analyze_tab_in_front(TracePage& page) {
    return page.Page_SQL_Hist.active_tab == page.Page_SQL_Hist.tab_index("TabSheet3");
}

} // namespace kavro::testing
