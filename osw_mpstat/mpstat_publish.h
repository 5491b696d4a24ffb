#pragma once

// The publishing half of the mpstat analysis: finished records into the
// series of cpu_util_chart (one per logical CPU, with its colour) and the
// entries of cpu_num.

#include "osw_mpstat/mpstat_page.h"
#include "osw_mpstat/mpstat_read.h"

namespace kavro {

class MpstatPublisher {
public:
    explicit MpstatPublisher(MpstatPage& page) : page_(page) {}

    // A point for a series that is not there ends the analysis with "List
    // index out of bounds (%d)" at its record.
    void publish(const MpstatBatch& batch);

private:
    void add_series_up_to(int n);

    MpstatPage& page_;
};

} // namespace kavro
