#pragma once

// The publishing half of the ps analysis: finished process records into the
// rows of osw_ps_grid, one line series per process ID in osw_process_chart
// and the spans the filter reads.

#include "core/hash.h"
#include "osw_ps/ps_page.h"
#include "osw_ps/ps_read.h"

#include <optional>
#include <string>
#include <vector>

namespace kavro {

class PsPublisher {
public:
    // Expects the table open and the chart and spans empty, as the analysis
    // leaves them before reading.
    explicit PsPublisher(PsPage& page);

    // Every record becomes a row; each record that gets a point is drawn.
    void publish(const PsBatch& batch);

    // After the last batch: the rows without a time at the end of the table
    // go (the trim), and a CPU text that is no number, which ended the
    // drawing at its row while the rows went on, is reported.
    void finish();

private:
    void draw(const PsRecord& rec);

    PsPage& page_;
    // Each process ID's line and its span, by the ID's place in pids_,
    // which is the line's index in the chart; the page gets the spans when
    // the drawing is done.
    struct Line {
        Series* series;
        ProcessSpan span;
    };
    TextPool pids_;
    std::vector<Line> lines_;
    std::vector<SnapshotClock> clocks_;
    // Records without a time: drawn when a record with a time follows them,
    // since the trim drops the rows without a time at the end of the table
    // and no point may stand for a row that is not there.
    std::vector<PsRecord> waiting_;
    std::optional<std::string> not_a_number_; // the CPU text that ended the drawing
    std::vector<bool> clocked_;               // by time: read into the page's clocks
    std::uint32_t last_time_ = 0xFFFFFFFFu;
    std::uint32_t last_id_ = 0xFFFFFFFFu; // the process ID drawn last
};

} // namespace kavro
