#pragma once

// The recursive calls of one depth that no call of a smaller depth has
// claimed yet. Each is kept as its end time and CPU only, packed as
// variable-length deltas (a few bytes a call), because a trace cut so that
// its depth-0 calls are missing leaves every recursive call waiting to the
// end of the file.

#include <cstdint>
#include <vector>

namespace kavro::profile {

class PendingCalls {
public:
    void add(std::int64_t end, std::int64_t cpu);

    struct Resolved {
        std::int64_t top_cpu = 0;   // CPU of the calls that ended before the start
        std::int64_t top_count = 0; // their number
    };
    // A call of smaller depth starting at `start` takes every call that
    // ended at or after its start; those that ended before are top-level.
    // Empties the list.
    Resolved resolve(std::int64_t start);
    // Every call left is top-level. Empties the list.
    Resolved release() { return resolve(INT64_MAX); }

    bool empty() const { return count_ == 0; }
    std::int64_t size() const { return count_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::int64_t last_end_ = 0;
    std::int64_t count_ = 0;
};

} // namespace kavro::profile
