#include "core/convert.h"
#include "core/fast_text.h"
#include "core/hash.h"
#include "core/progress.h"
#include "core/text.h"
#include "osw_ps/ps.h"

#include <string>

namespace kavro {

namespace {

// The CPU threshold, converted the first time a test needs it: a run with
// nothing to test never complains about the field.
class Threshold {
public:
    explicit Threshold(const Edit& field) : field_(field) {}
    bool empty() const { return field_.text.empty(); }
    double value() {
        if (!converted_) {
            value_ = empty() ? 0.0 : cpu_value(field_.text);
            converted_ = true;
        }
        return value_;
    }

private:
    const Edit& field_;
    bool converted_ = false;
    double value_ = 0;
};

// A process line passes when its title contains the process-ID text and any
// one of its points reaches the threshold: its highest does.
void filter_by_process(PsPage& page, Threshold& threshold) {
    Chart& chart = page.osw_process_chart;
    const std::string& pid_filter = page.pid_filter.text;
    for (int i = 0; i < chart.series_count(); ++i) {
        Series& s = chart.series(i);
        bool pass = false;
        if ((pid_filter.empty() || Contains(s.title(), pid_filter)) && s.point_count() > 0)
            pass =
                threshold.empty() ||
                page.processes.spans.at(static_cast<std::size_t>(i)).max_cpu >= threshold.value();
        s.set_active(pass);
    }
}

// A shown process line stays shown when any of its rows has an owner that
// contains the owner text. The rows are walked once to collect those
// process IDs, rather than once per series.
void filter_by_owner(PsPage& page) {
    const std::string& owner_filter = page.owner_filter.text;
    if (owner_filter.empty()) return;
    const StringTable& rows = page.osw_ps_grid;
    TextPool owned;
    for (int r = 1; r < rows.RowCount(); ++r) {
        // The first of the filter's two walks over the rows.
        progress_step(static_cast<std::uint64_t>(r),
                      2 * static_cast<std::uint64_t>(rows.RowCount()), "Filter");
        if (Contains(rows.Cell(osw_ps_grid_col::Owner, r), owner_filter))
            owned.intern(rows.Cell(osw_ps_grid_col::ProcessId, r));
    }
    Chart& chart = page.osw_process_chart;
    for (int i = 0; i < chart.series_count(); ++i) {
        Series& s = chart.series(i);
        if (s.active() && owned.find(s.title()) == TextPool::npos) s.set_active(false);
    }
}

// One bar per shown process, from the time of its first point to that of
// its last, on rows 0, 1, 2, ... in series order.
void draw_gantt(PsPage& page) {
    const Chart& chart = page.osw_process_chart;
    const PsProcesses& processes = page.processes;
    Series& gantt = page.osw_gantt.series(0);
    int k = 0;
    for (int i = 0; i < chart.series_count(); ++i) {
        const Series& s = chart.series(i);
        if (!s.active()) continue;
        const ProcessSpan& span = processes.spans.at(static_cast<std::size_t>(i));
        const double start = processes.clocks[span.first].day();
        const double end = processes.clocks[span.last].day();
        gantt.add_gantt_bar(start, end, k, s.title());
        ++k;
    }
}

// One pair of bars per run of rows with equal time, in the table's present
// order: the number of rows that pass every criterion and their CPU sum.
void draw_snapshot_bars(PsPage& page, Threshold& threshold) {
    namespace col = osw_ps_grid_col;
    const StringTable& rows = page.osw_ps_grid;
    Series& count_bars = page.osw_proc_count_chart.series(0);
    Series& cpu_bars = page.osw_cpuutil_chart.series(0);
    const std::string& pid_filter = page.pid_filter.text;
    const std::string& owner_filter = page.owner_filter.text;

    std::string current(rows.Cell(col::Time, 1));
    double sum = 0;
    int count = 0;
    const auto add_bars = [&] {
        cpu_bars.add_value(sum, current, kSnapshotBarColour);
        count_bars.add_value(count, current, kSnapshotBarColour);
    };
    for (int r = 1; r < rows.RowCount(); ++r) {
        progress_step(static_cast<std::uint64_t>(rows.RowCount() + r),
                      2 * static_cast<std::uint64_t>(rows.RowCount()), "Filter");
        const std::string_view time = rows.Cell(col::Time, r);
        if (time != current) {
            add_bars();
            sum = 0;
            count = 0;
            current.assign(time);
        }
        const std::string_view cpu_text = rows.Cell(col::Cpu, r);
        double cpu = 0;
        if (!read_plain_decimal(cpu_text, cpu)) cpu = cpu_value(cpu_text);
        const bool pass =
            cpu >= threshold.value() &&
            (pid_filter.empty() || Contains(rows.Cell(col::ProcessId, r), pid_filter)) &&
            (owner_filter.empty() || Contains(rows.Cell(col::Owner, r), owner_filter));
        if (pass) {
            sum += cpu;
            ++count;
        }
    }
    add_bars();
}

} // namespace

void filter_ps(PsPage& page) {
    Threshold threshold(page.cpu_thr_value);
    filter_by_process(page, threshold);
    filter_by_owner(page);
    page.osw_gantt.series(0).clear();
    page.osw_proc_count_chart.series(0).clear();
    page.osw_cpuutil_chart.series(0).clear();
    draw_gantt(page);
    draw_snapshot_bars(page, threshold);
}

} // namespace kavro
