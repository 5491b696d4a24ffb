// The packed list of pending recursive calls against a plain list of
// (end, cpu) pairs: the same split at every start, whatever the deltas.
#include "profile/pending_calls.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

namespace kavro::profile {
namespace {

TEST(PendingCalls, SplitsAtTheStartAsAPlainListDoes) {
    std::mt19937_64 rnd(7);
    for (int round = 0; round < 200; ++round) {
        PendingCalls packed;
        std::vector<std::pair<std::int64_t, std::int64_t>> plain;
        const int n = static_cast<int>(rnd() % 300);
        std::int64_t t = static_cast<std::int64_t>(rnd() % 4'000'000'000'000'000LL);
        for (int i = 0; i < n; ++i) {
            // Mostly rising ends, now and then a step back or a huge jump.
            const auto kind = rnd() % 10;
            t += kind == 0   ? -static_cast<std::int64_t>(rnd() % 1000)
                 : kind == 1 ? static_cast<std::int64_t>(rnd() % (1LL << 50))
                             : static_cast<std::int64_t>(rnd() % 5000);
            const std::int64_t cpu =
                static_cast<std::int64_t>(rnd() % 100000) - (kind == 2 ? 7 : 0);
            packed.add(t, cpu);
            plain.emplace_back(t, cpu);
        }
        const std::int64_t start = plain.empty() ? 0
                                                 : plain[rnd() % plain.size()].first +
                                                       static_cast<std::int64_t>(rnd() % 3) - 1;
        PendingCalls::Resolved want;
        for (auto [end, cpu] : plain)
            if (end < start) want.top_cpu += cpu, ++want.top_count;
        ASSERT_EQ(packed.size(), n);
        const PendingCalls::Resolved got = round % 2 ? packed.resolve(start) : packed.release();
        if (round % 2 == 0) {
            want = {};
            for (auto [end, cpu] : plain) want.top_cpu += cpu, ++want.top_count;
        }
        EXPECT_EQ(got.top_cpu, want.top_cpu);
        EXPECT_EQ(got.top_count, want.top_count);
        EXPECT_TRUE(packed.empty());
    }
}

} // namespace
} // namespace kavro::profile
