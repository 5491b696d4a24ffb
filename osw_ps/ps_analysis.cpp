#include "core/convert.h"
#include "core/progress.h"
#include "core/text.h"
#include "osw_ps/ps.h"
#include "osw_ps/ps_text.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace kavro {

double cpu_value(std::string_view text) {
    double plain = 0;
    if (ps_detail::plain_decimal(text, plain)) return plain;
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

// The trim of the result table drops trailing rows without a time whatever
// the row count, so a run that found no snapshot leaves the title row alone.
void trim_rows_without_time(StringTable& table) {
    int rows = table.RowCount();
    while (rows > 1 && table.Cell(0, rows - 1).empty()) --rows;
    if (rows != table.RowCount()) table.SetRowCount(rows);
}

// One line series per process ID, its points the process's rows in table
// order, fed while the rows are cut rather than in a second pass over the
// table. The analysis has emptied the chart and makes every series itself,
// one per process ID, so an index of its own from title to series finds
// them with one cheap lookup a row.
//
// What a second pass would have drawn is drawn exactly: rows without a time
// wait until a row with a time follows them, since the trim drops the rows
// without a time at the end of the table before the chart would read it;
// and a row whose CPU text does not convert stops the drawing there while
// the cutting goes on, so the table is complete when the error is raised.
class ProcessLines {
public:
    ProcessLines(const StringTable& rows, Chart& chart) : rows_(rows), chart_(chart) {}

    void add(int row, std::string_view time, std::string_view pid, std::string_view cpu) {
        if (time.empty()) {
            waiting_.push_back(row);
            return;
        }
        for (int w : waiting_) feed(rows_.Cell(0, w), rows_.Cell(1, w), rows_.Cell(3, w));
        waiting_.clear();
        feed(time, pid, cpu);
    }

    // After the trim: the drawing's error, if there was one.
    void finish() const {
        if (error_) std::rethrow_exception(error_);
    }

private:
    void feed(std::string_view time, std::string_view pid, std::string_view cpu_text) {
        if (error_) return;
        try {
            double cpu = 0;
            if (!ps_detail::tenths(cpu_text, cpu)) cpu = cpu_value(cpu_text);
            if (Series* s = by_pid_.find(pid)) {
                s->add_value(cpu, time);
                return;
            }
            Series& s = chart_.add_series(SeriesKind::Line);
            s.set_title(pid);
            s.add_value(cpu, time);
            s.set_right_axis();
            by_pid_.add(s.title(), &s);
        } catch (...) {
            error_ = std::current_exception();
        }
    }

    const StringTable& rows_;
    Chart& chart_;
    ps_detail::TitleIndex<Series> by_pid_;
    std::vector<int> waiting_;
    std::exception_ptr error_;
};

void cut_process_rows(PsPage& page, const TraceRulesPage& rules) {
    StringTable& raw = page.osw_grid;
    StringTable& out = page.osw_ps_grid;

    std::vector<std::string> texts;
    for (int r = 1; r < rules.tracerules_grid7.RowCount(); ++r)
        texts.emplace_back(rules.tracerules_grid7.Cell(0, r));
    // The bytes of the first lines choose what the searches look for.
    ps_detail::ByteCounts counts{};
    for (int r = 1; r < raw.RowCount() && r <= 4096; ++r)
        for (char c : raw.Cell(0, r)) ++counts[static_cast<unsigned char>(c)];
    constexpr unsigned kMarker = 1, kExcluded = 2;
    ps_detail::MultiFind find(counts);
    find.add("zzz", kMarker);
    for (const std::string& t : texts) find.add(t, kExcluded);

    ProcessLines lines(out, page.osw_process_chart);
    std::optional<FieldPositions> at;
    std::string time;
    std::string owner_buf, pid_buf, cpu_buf;
    const auto total = static_cast<std::uint64_t>(raw.RowCount());
    try {
        for (int r = 1; r < raw.RowCount(); ++r) {
            progress_step(static_cast<std::uint64_t>(r), total, "Anlayze OSW File");
            const std::string_view line = raw.Cell(0, r);
            // The time is taken before the exclusion test: a marker that an
            // exclusion matches still opens its snapshot.
            const unsigned found = find.found_in(line);
            if (found & kMarker) time = snapshot_time(line);
            if (found & kExcluded) continue;
            if (!at) at.emplace(rules);
            const std::string_view cpu =
                ps_detail::cut_field(line, at->cpu_start, at->cpu_count, cpu_buf);
            if (cpu == "-") continue;
            const std::string_view owner =
                ps_detail::cut_field(line, at->user_start, at->user_count, owner_buf);
            const std::string_view pid =
                ps_detail::cut_field(line, at->proc_start, at->proc_count, pid_buf);
            out.AppendRow({time, pid, owner, cpu});
            lines.add(out.RowCount() - 2, time, pid, cpu);
        }
    } catch (...) {
        // A run stopped while cutting (a rule position that is no number, a
        // cancel) has drawn nothing yet, as when the chart came second.
        page.osw_process_chart.remove_all_series();
        throw;
    }
    trim_rows_without_time(out);
    lines.finish();
}

} // namespace

void analyse_ps(PsPage& page, const TraceRulesPage& rules) {
    // Every run starts from a clean result, so analysing the same lines twice
    // gives the table and charts of one run rather than a second copy of
    // every row and point.
    page.osw_ps_grid.ResetTable();
    // A snapshot's time stands on each of its few thousand rows: kept once
    // per time rather than once per row.
    page.osw_ps_grid.intern_column(0);
    page.osw_process_chart.remove_all_series();

    page.osw_grid.TrimTable();
    cut_process_rows(page, rules);
    filter_ps(page);
    page.OSWPage.active_tab = page.OSWPage.tab_index("oswtab1");
}

} // namespace kavro
