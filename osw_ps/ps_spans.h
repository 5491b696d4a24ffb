#pragma once

// What the ps analysis keeps for the filter besides the table and the chart:
// each process line's first and last snapshot times, read as times of day
// when the analysis met them, and its highest CPU value. The filter draws
// the Gantt bars and tests the threshold from these, never from the chart's
// points or labels.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

// A snapshot time "h:mm:ss" as a time of day: the hours before the first
// ":", the two characters after it and the last two, each a whole number.
// A time that does not read as one keeps what fails, and reports it when
// the time is used.
class SnapshotClock {
public:
    SnapshotClock() = default;
    explicit SnapshotClock(std::string_view time);

    // The time of day as a fraction of a day. Throws "'%s' is not a valid
    // integer value" for the first part that is not a whole number, or
    // "Invalid argument to time encode" for a part out of range.
    double day() const;

private:
    enum class Reading : std::uint8_t { Day, NotInteger, OutOfRange };
    Reading reading_ = Reading::NotInteger;
    double day_ = 0;
    int hours_ = 0, minutes_ = 0, seconds_ = 0;
    std::string not_integer_; // the part that is not a whole number
};

// One line of osw_process_chart.
struct ProcessSpan {
    std::uint32_t first = 0, last = 0; // the times of its first and last point
    double max_cpu = 0;                // the highest of its points' values
};

struct PsProcesses {
    std::vector<SnapshotClock> clocks; // by time (as ProcessSpan counts them)
    std::vector<ProcessSpan> spans;    // by series index of osw_process_chart
    void clear() {
        clocks.clear();
        spans.clear();
    }
};

} // namespace kavro
