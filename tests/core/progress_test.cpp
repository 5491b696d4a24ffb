// Progress reports: one for every 16384 steps of a loop, whether the loop
// takes its steps one at a time or a pass of many rows at once; nothing at
// all without a sink.

#include "core/progress.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kavro;

namespace {
struct Recorder : ProgressSink {
    std::vector<std::uint64_t> done;
    int finished_count = 0;
    void progress(std::uint64_t d, std::uint64_t, std::string_view) override { done.push_back(d); }
    void finished() override { ++finished_count; }
};
} // namespace

TEST(Progress, AReportEvery16384StepsTakenOneOrManyAtATime) {
    Recorder sink;
    {
        ProgressScope scope(&sink);
        for (std::uint64_t i = 1; i <= 3 * 16384; ++i) progress_step(i, 0);
    }
    EXPECT_EQ(sink.done, (std::vector<std::uint64_t>{16384, 2 * 16384, 3 * 16384}));
    EXPECT_EQ(sink.finished_count, 1);

    Recorder passes;
    {
        ProgressScope scope(&passes);
        progress_steps(10000, 1, 0);  // not yet
        progress_steps(10000, 2, 0);  // past 16384
        progress_steps(100000, 3, 0); // a large pass reports once
        for (int i = 0; i < 16383; ++i) progress_steps(1, 4, 0);
        progress_steps(1, 5, 0);
    }
    EXPECT_EQ(passes.done, (std::vector<std::uint64_t>{2, 3, 5}));

    // Without a sink nothing is counted or reported.
    for (int i = 0; i < 100000; ++i) progress_step(1, 1);
    EXPECT_EQ(passes.done.size(), 3u);
}
