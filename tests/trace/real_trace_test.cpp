// The real traces of several database versions, loaded and analysed with
// the rules the program ships with.
#include "core/convert.h"
#include "trace_form.h"

#include <filesystem>
#include <fstream>

using namespace kavro;
using namespace kavro::testing;

namespace {

std::vector<std::string> file_lines(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return out;
}

bool begins(const std::string& line, const char* text) {
    return line.rfind(text, 0) == 0;
}

} // namespace

TEST(TraceRealData, EveryTraceAnalysesCompletely) {
    const auto folder = real_data("trace");
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "no real traces in " << folder.string();
    int traces = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".trc") continue;
        ++traces;
        SCOPED_TRACE(entry.path().filename().string());
        TForm1 form;
        {
            ChangeDir samples(KAVRO_SAMPLES);
            form.FormShow();
        }
        ASSERT_EQ(form.rules.tracerules_grid1.Cell(0, 1), "ela=");
        form.trace.SQLIdList.text = entry.path().string();
        ASSERT_TRUE(form.user_click("Button102")) << form.last_error();
        ASSERT_TRUE(form.user_click("Button2")) << form.last_error();

        const std::vector<std::string> lines = file_lines(entry.path());
        std::size_t waits = 0, fetches = 0, stats = 0;
        for (const auto& l : lines) {
            waits += begins(l, "WAIT") && l.find("ela=") != std::string::npos;
            fetches += begins(l, "FETCH");
            stats += begins(l, "STAT");
        }
        const TracePage& p = form.trace;
        EXPECT_EQ(p.trace_grid.RowCount(), static_cast<int>(lines.size()) + 2);
        EXPECT_EQ(rows(p.trace_detail).size(), waits);
        // Every fetch line carries e=, cr= and r=.
        EXPECT_EQ(rows(p.trace_detail2).size(), 3 * fetches);
        EXPECT_EQ(rows(p.execplan_grid).size(), stats);

        // The wait-event counts add up to the wait lines, their times to the
        // plotted elapsed times.
        double count = 0, time = 0, plotted = 0;
        for (const auto& row : rows(p.touch_grid1)) {
            if (row[0].find(":FETCH(") != std::string::npos) continue;
            count += StrToFloat(row[2]);
            time += StrToFloat(row[1]);
        }
        for (const auto& row : rows(p.trace_detail)) plotted += StrToFloat(row[1]);
        EXPECT_EQ(count, static_cast<double>(waits));
        EXPECT_EQ(time, plotted);

        int points = 0;
        for (int i = 0; i < p.trace_graph.series_count(); ++i)
            points += p.trace_graph.series(i).point_count();
        EXPECT_EQ(static_cast<std::size_t>(points),
                  rows(p.trace_detail).size() + rows(p.trace_detail2).size());
        EXPECT_EQ(p.dispbox.count(), p.trace_graph.series_count());
        EXPECT_EQ(p.cursor_combo.text(), "All");
        EXPECT_EQ(p.cursor_combo.count() > 1, waits + fetches > 0);
        EXPECT_TRUE(analyze_tab_in_front(form.trace));
    }
    EXPECT_GT(traces, 0);
}
