// The profile of the real traces: figures checked against a separate
// reading of the same definitions, the identities every profile keeps, and
// the window's road (the loaded trace_grid) giving the same profile as the
// file read as a stream.
#include "core/line_reader.h"
#include "core/string_table.h"
#include "profile/profile.h"
#include "profile/report.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace kavro::profile {
namespace {

struct Known {
    const char* file;
    std::int64_t response_time, cpu, cpu_calls, waits;
    std::size_t sessions, statements;
    std::int64_t clock_tim;
};

// From an independent script over the same definitions.
constexpr Known kKnown[] = {
    {"FREE_ora_39079_test01_23c.trc", 30111, 2268, 12, 25322, 1, 5, 98778611515},
    {"ROUGE_ora_8729_11203.trc", 6869, 2000, 16, 2801, 1, 6, 1407602123373303},
    {"cdb1_ora_5390_TRUNC-TEST.trc", 3539097, 4680, 38, 3518090, 1, 11, 1734873496325},
    {"js12c1_ora_21644_12102.trc", 22401957, 21304000, 7, 1620, 1, 15, 55331570574},
    {"trcsess_main.trc", 11013754, 117245, 12, 10484673, 2, 37, 664028734122},
    {"trctools_error.trc", 5657966229, 0, 1, 376, 1, 1, 3029042223114},
    {"trctools_lobs.trc", 86072, 1026, 14, 83264, 1, 0, 4696599871319},
    {"trctools_mixed_execs.trc", 546387658, 4167, 6, 9702, 1, 2, 7097999863264},
};

std::filesystem::path real(const char* name) {
    return kavro::testing::real_data(std::string("trace/") + name);
}

TEST(ProfileRealTraces, FiguresMatchASeparateReading) {
    if (!std::filesystem::exists(kavro::testing::real_data("trace")))
        GTEST_SKIP() << "no real traces at " << kavro::testing::real_data("trace");
    for (const Known& k : kKnown) {
        SCOPED_TRACE(k.file);
        const Profile p = profile_file(real(k.file).string());
        EXPECT_EQ(p.response_time, k.response_time);
        EXPECT_EQ(p.cpu, k.cpu);
        EXPECT_EQ(p.cpu_calls, k.cpu_calls);
        EXPECT_EQ(p.wait_time, k.waits);
        EXPECT_EQ(p.sessions.size(), k.sessions);
        EXPECT_EQ(p.statements.size(), k.statements);
        ASSERT_TRUE(p.clock);
        EXPECT_EQ(p.clock->tim, k.clock_tim);
        EXPECT_EQ(p.ignored_lines, 0u);
    }
}

TEST(ProfileRealTraces, IdentitiesHoldAndTheLoadedTableGivesTheSameProfile) {
    if (!std::filesystem::exists(kavro::testing::real_data("trace")))
        GTEST_SKIP() << "no real traces at " << kavro::testing::real_data("trace");
    for (const auto& entry :
         std::filesystem::directory_iterator(kavro::testing::real_data("trace"))) {
        SCOPED_TRACE(entry.path().string());
        const Profile p = profile_file(entry.path().string());
        std::int64_t r = 0, waits = 0, parts = 0;
        for (const Session& s : p.sessions) r += s.last - s.first;
        EXPECT_EQ(p.response_time, r);
        for (const Component& c : p.components) {
            parts += c.time;
            if (c.name != "CPU" && c.name != "unaccounted-for") waits += c.time;
        }
        EXPECT_EQ(waits, p.wait_time);
        EXPECT_EQ(parts, p.response_time);
        for (std::size_t i = 1; i < p.statements.size(); ++i)
            EXPECT_GE(p.statements[i - 1].elapsed, p.statements[i].elapsed);

        StringTable grid(1);
        LineReader(entry.path().string()).append_to(grid);
        const Profile q = profile_table(grid);
        EXPECT_EQ(to_json(q), to_json(p));
        std::ostringstream report;
        write_report(report, p);
        EXPECT_NE(report.str().find("Response-time profile"), std::string::npos);
    }
}

} // namespace
} // namespace kavro::profile
