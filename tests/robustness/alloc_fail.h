#pragma once

// A failing heap for the out-of-memory tests. This test program replaces the
// global operator new with one that counts the allocations of the calling
// thread and can make one chosen allocation throw std::bad_alloc, so that a
// test can run an action out of memory at each allocation it makes in turn.

#include <cstdint>

namespace kavro::testing {

// From now on, counts this thread's allocations; the `n`-th one (from 1)
// throws std::bad_alloc, and the ones after it succeed again. An `n` of 0
// only counts.
void fail_allocation(std::uint64_t n);
// Stops counting and failing.
void stop_failing();
// Allocations counted since the last fail_allocation().
std::uint64_t allocations_counted();
// Whether the chosen allocation has failed since.
bool allocation_failed();

// Counting or failing for the lifetime of the scope.
class FailingAllocation {
public:
    explicit FailingAllocation(std::uint64_t n) { fail_allocation(n); }
    ~FailingAllocation() { stop_failing(); }
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;
};

} // namespace kavro::testing
