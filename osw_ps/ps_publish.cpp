#include "osw_ps/ps_publish.h"

#include "osw_ps/ps.h"

namespace kavro {

PsPublisher::PsPublisher(PsPage& page) : page_(page) {}

void PsPublisher::publish(const PsBatch& batch) {
    StringTable& rows = page_.osw_ps_grid;
    for (const PsRecord& rec : batch.records) {
        // In the column order of osw_ps_grid_col.
        rows.AppendRow({rec.time_text, rec.pid, rec.owner, rec.cpu});
        if (rec.time_text.empty()) {
            waiting_.push_back(rec);
            continue;
        }
        for (const PsRecord& w : waiting_) draw(w);
        waiting_.clear();
        draw(rec);
    }
}

void PsPublisher::draw(const PsRecord& rec) {
    if (not_a_number_) return;
    if (!rec.cpu_is_number) {
        not_a_number_ = std::string(rec.cpu);
        return;
    }
    if (rec.time != last_time_) {
        // Each time is read as a time of day once, when a point first has it.
        if (rec.time >= clocks_.size()) {
            clocks_.resize(rec.time + 1);
            clocked_.resize(rec.time + 1);
        }
        if (!clocked_[rec.time]) {
            clocks_[rec.time] = SnapshotClock(rec.time_text);
            clocked_[rec.time] = true;
        }
        last_time_ = rec.time;
    }
    // The chart had no series when the analysis began and gets one for each
    // new process ID, so an ID's place in pids_ is its series' index. A
    // snapshot lists its processes in the order the last one did, so the ID
    // after the last one drawn is tried first.
    const std::uint32_t known = pids_.size();
    const std::uint32_t id = pids_.intern_hinted(rec.pid, last_id_ + 1);
    last_id_ = id;
    if (id < known) {
        Line& line = lines_[id];
        line.series->add_value(rec.cpu_value, rec.time_text);
        line.span.last = rec.time;
        if (rec.cpu_value > line.span.max_cpu) line.span.max_cpu = rec.cpu_value;
        return;
    }
    Series& s = page_.osw_process_chart.add_series(SeriesKind::Line);
    s.set_title(rec.pid);
    s.add_value(rec.cpu_value, rec.time_text);
    s.set_right_axis();
    room_for_one(lines_);
    lines_.push_back({&s, {rec.time, rec.time, rec.cpu_value}});
}

void PsPublisher::finish() {
    PsProcesses& processes = page_.processes;
    processes.clocks = std::move(clocks_);
    processes.spans.reserve(lines_.size());
    for (const Line& line : lines_) processes.spans.push_back(line.span);
    // The trim drops trailing rows without a time whatever the row count,
    // so a run that found no snapshot leaves the title row alone.
    StringTable& rows = page_.osw_ps_grid;
    int n = rows.RowCount();
    while (n > 1 && rows.Cell(osw_ps_grid_col::Time, n - 1).empty()) --n;
    if (n != rows.RowCount()) rows.SetRowCount(n);
    if (not_a_number_) cpu_value(*not_a_number_);
}

} // namespace kavro
