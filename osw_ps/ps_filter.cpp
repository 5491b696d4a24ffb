#include "core/convert.h"
#include "core/hash.h"
#include "core/progress.h"
#include "core/text.h"
#include "osw_ps/ps.h"
#include "osw_ps/ps_text.h"

#include <string>
#include <unordered_set>

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
// one of its points reaches the threshold.
void filter_by_process(PsPage& page, Threshold& threshold) {
    Chart& chart = page.osw_process_chart;
    const std::string& pid_filter = page.pid_filter.text;
    for (int i = 0; i < chart.series_count(); ++i) {
        Series& s = chart.series(i);
        bool pass = false;
        if (pid_filter.empty() || Contains(s.title(), pid_filter)) {
            for (const Point& p : s.points()) {
                if (threshold.empty() || p.y >= threshold.value()) {
                    pass = true;
                    break;
                }
            }
        }
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
    std::unordered_set<std::string, TextHash, std::equal_to<>> owned;
    for (int r = 1; r < rows.RowCount(); ++r) {
        // The first of the filter's two walks over the rows.
        progress_step(static_cast<std::uint64_t>(r),
                      2 * static_cast<std::uint64_t>(rows.RowCount()), "Filter");
        if (!Contains(rows.Cell(2, r), owner_filter)) continue;
        const std::string_view pid = rows.Cell(1, r);
        if (owned.find(pid) == owned.end()) owned.emplace(pid);
    }
    Chart& chart = page.osw_process_chart;
    for (int i = 0; i < chart.series_count(); ++i) {
        Series& s = chart.series(i);
        if (s.active() && owned.find(std::string_view(s.title())) == owned.end())
            s.set_active(false);
    }
}

// A time label "h:mm:ss" as a time of day: the hours before the first ":",
// the two characters after it, and the last two.
double time_of_day(std::string_view label) {
    const int p = Pos(":", label);
    const int hours = StrToInt(Copy(label, 1, p - 1));
    const int minutes = StrToInt(Copy(label, p + 1, 2));
    const int seconds = StrToInt(Copy(label, Length(label) - 1, 2));
    return EncodeTime(hours, minutes, seconds, 0);
}

// One bar per shown process, from the label of its first point to that of
// its last, on rows 0, 1, 2, ... in series order.
void draw_gantt(PsPage& page) {
    Chart& chart = page.osw_process_chart;
    Series& gantt = page.osw_gantt.series(0);
    int k = 0;
    for (int i = 0; i < chart.series_count(); ++i) {
        const Series& s = chart.series(i);
        if (!s.active()) continue;
        const double start = time_of_day(s.label(0));
        const double end = time_of_day(s.label(s.point_count() - 1));
        gantt.add_gantt_bar(start, end, k, s.title());
        ++k;
    }
}

// One pair of bars per run of rows with equal time, in the table's present
// order: the number of rows that pass every criterion and their CPU sum.
void draw_snapshot_bars(PsPage& page, Threshold& threshold) {
    const StringTable& rows = page.osw_ps_grid;
    Series& count_bars = page.osw_proc_count_chart.series(0);
    Series& cpu_bars = page.osw_cpuutil_chart.series(0);
    const std::string& pid_filter = page.pid_filter.text;
    const std::string& owner_filter = page.owner_filter.text;

    std::string current(rows.Cell(0, 1));
    double sum = 0;
    int count = 0;
    const auto add_bars = [&] {
        cpu_bars.add_value(sum, current, kSnapshotBarColour);
        count_bars.add_value(count, current, kSnapshotBarColour);
    };
    for (int r = 1; r < rows.RowCount(); ++r) {
        progress_step(static_cast<std::uint64_t>(rows.RowCount() + r),
                      2 * static_cast<std::uint64_t>(rows.RowCount()), "Filter");
        const std::string_view time = rows.Cell(0, r);
        if (time != current) {
            add_bars();
            sum = 0;
            count = 0;
            current.assign(time);
        }
        const std::string_view cpu_text = rows.Cell(3, r);
        double cpu = 0;
        if (!ps_detail::tenths(cpu_text, cpu)) cpu = cpu_value(cpu_text);
        const bool pass = cpu >= threshold.value() &&
                          (pid_filter.empty() || Contains(rows.Cell(1, r), pid_filter)) &&
                          (owner_filter.empty() || Contains(rows.Cell(2, r), owner_filter));
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
