#include "core/convert.h"
#include "core/progress.h"
#include "core/text.h"
#include "osw_ps/ps.h"

#include <optional>
#include <string>
#include <vector>

namespace kavro {

double cpu_value(std::string_view text) {
    int whole = 0;
    if (TryStrToInt(text, whole)) return whole;
    return StrToFloat(text);
}

namespace {

// Start and Count of the three fields, converted when the first line that
// needs them comes: a run whose lines are all excluded never reads them.
struct FieldPositions {
    long long user_start, user_count;
    long long proc_start, proc_count;
    long long cpu_start, cpu_count;

    explicit FieldPositions(const TraceRulesPage& r)
        : user_start(StrToInt(r.psuser_posb.text)), user_count(StrToInt(r.psuser_pose.text)),
          proc_start(StrToInt(r.psproc_posb.text)), proc_count(StrToInt(r.psproc_pose.text)),
          cpu_start(StrToInt(r.pscpu_posb.text)), cpu_count(StrToInt(r.pscpu_pose.text)) {}
};

// The snapshot time of a marker line: the 8 characters that start two before
// its first ":", blanks removed ("09:05:01", or "9:05:01" for an hour padded
// with a blank).
std::string snapshot_time(std::string_view line) {
    return RemoveBlanks(Copy(line, static_cast<long long>(Pos(":", line)) - 2, 8));
}

bool excluded(std::string_view line, const std::vector<std::string>& headings) {
    for (const std::string& h : headings)
        if (Contains(line, h)) return true;
    return false;
}

// The trim of the result table drops trailing rows without a time whatever
// the row count, so a run that found no snapshot leaves the title row alone.
void trim_rows_without_time(StringTable& table) {
    int rows = table.RowCount();
    while (rows > 1 && table.Cell(0, rows - 1).empty()) --rows;
    if (rows != table.RowCount()) table.SetRowCount(rows);
}

void cut_process_rows(PsPage& page, const TraceRulesPage& rules) {
    StringTable& raw = page.osw_grid;
    StringTable& out = page.osw_ps_grid;

    std::vector<std::string> headings;
    for (int r = 1; r < rules.tracerules_grid7.RowCount(); ++r) {
        // An empty rule matches nothing, so it need not be tried at all.
        std::string_view h = rules.tracerules_grid7.Cell(0, r);
        if (!h.empty()) headings.emplace_back(h);
    }

    std::optional<FieldPositions> at;
    std::string time;
    const auto lines = static_cast<std::uint64_t>(raw.RowCount());
    for (int r = 1; r < raw.RowCount(); ++r) {
        progress_step(static_cast<std::uint64_t>(r), lines, "Anlayze OSW File");
        const std::string_view line = raw.Cell(0, r);
        // The time is taken before the exclusion test: a marker that an
        // exclusion matches still opens its snapshot.
        if (Contains(line, "zzz")) time = snapshot_time(line);
        if (excluded(line, headings)) continue;
        if (!at) at.emplace(rules);
        const std::string owner = RemoveBlanks(Copy(line, at->user_start, at->user_count));
        const std::string pid = RemoveBlanks(Copy(line, at->proc_start, at->proc_count));
        const std::string cpu = RemoveBlanks(Copy(line, at->cpu_start, at->cpu_count));
        if (cpu == "-") continue;
        out.AppendRow({time, pid, owner, cpu});
    }
    trim_rows_without_time(out);
}

// One line series per process ID, its points the process's rows in table
// order. The series are found by title through the chart's hash index, so an
// archive of thousands of processes costs one lookup a row.
void draw_process_lines(PsPage& page) {
    const StringTable& rows = page.osw_ps_grid;
    Chart& chart = page.osw_process_chart;
    const auto count = static_cast<std::uint64_t>(rows.RowCount());
    for (int r = 1; r < rows.RowCount(); ++r) {
        progress_step(static_cast<std::uint64_t>(r), count, "Process Load");
        const std::string_view time = rows.Cell(0, r);
        const std::string_view pid = rows.Cell(1, r);
        const double cpu = cpu_value(rows.Cell(3, r));
        const std::vector<int>& found = chart.series_with_title(pid);
        if (!found.empty()) {
            for (int index : found) chart.series(index).add_value(cpu, time);
            continue;
        }
        Series& s = chart.add_series(SeriesKind::Line);
        s.set_title(pid);
        s.add_value(cpu, time);
        s.set_right_axis();
    }
}

} // namespace

void analyse_ps(PsPage& page, const TraceRulesPage& rules) {
    // Every run starts from a clean result, so analysing the same lines twice
    // gives the table and charts of one run rather than a second copy of
    // every row and point.
    page.osw_ps_grid.ResetTable();
    page.osw_process_chart.remove_all_series();

    page.osw_grid.TrimTable();
    cut_process_rows(page, rules);
    draw_process_lines(page);
    filter_ps(page);
    page.OSWPage.active_tab = page.OSWPage.tab_index("oswtab1");
}

} // namespace kavro
