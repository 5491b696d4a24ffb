// The split scan (the general statistics and the touch counts on two
// threads) against the single pass: the same tables, the same error, and a
// cancel that leaves every table at one line.
#include "core/error.h"
#include "trace/load.h"
#include "trace/scan.h"
#include "trace_form.h"

#include <filesystem>
#include <random>

using namespace kavro;
using namespace kavro::testing;

namespace {

std::vector<Rows> result_rows(TracePage& p) {
    return {rows(p.trace_detail), rows(p.trace_detail2), rows(p.touch_grid1), rows(p.touch_grid2),
            rows(p.execplan_grid)};
}

// The scan alone in the given mode, over what is loaded: the tables and the
// error text ("" when none).
std::pair<std::vector<Rows>, std::string> scan(TraceForm& t, ScanMode mode) {
    clear_trace_results(t.page());
    std::string error;
    try {
        scan_trace(t.page(), read_scan_rules(t.rules()), mode);
    } catch (const Error& e) {
        error = e.what();
    }
    return {result_rows(t.page()), error};
}

void expect_same_both_ways(TraceForm& t, const std::string& what) {
    const auto single = scan(t, ScanMode::SinglePass);
    const auto split = scan(t, ScanMode::Split);
    EXPECT_EQ(split.second, single.second) << what;
    ASSERT_EQ(split.first.size(), single.first.size());
    for (std::size_t i = 0; i < single.first.size(); ++i)
        EXPECT_EQ(split.first[i], single.first[i]) << what << ", table " << i;
}

// A random trace of a few cursors and events: values now whole, now with
// decimals, now huge, now (rarely) no number at all.
std::vector<std::string> random_trace(std::mt19937& rng, int n, int bad_per_million) {
    const auto value = [&]() -> std::string {
        const unsigned k = rng() % 1000000;
        if (k < static_cast<unsigned>(bad_per_million)) return "x" + std::to_string(k);
        switch (rng() % 8) {
        case 0:
            return std::to_string(rng() % 100) + "." + std::to_string(rng() % 1000);
        case 1:
            return std::to_string(900000000000000ull + rng() % 1000);
        default:
            return std::to_string(rng() % 5000);
        }
    };
    const char* events[] = {"db file sequential read", "log file sync",
                            "SQL*Net message to client"};
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) {
        const std::string c = std::to_string(rng() % 7);
        switch (rng() % 5) {
        case 0:
        case 1:
            lines.push_back("WAIT #" + c + ": nam='" + events[rng() % 3] + "' ela= " + value() +
                            " file#=" + std::to_string(rng() % 3) + " obj#=" +
                            std::to_string(rng() % 40) + " tim=" + std::to_string(1000 + i));
            break;
        case 2:
            lines.push_back("FETCH #" + c + ":c=" + value() + ",e=" + value() +
                            ",p=0,cr=" + std::to_string(rng() % 9) + ",cu=0,mis=0,r=" + value() +
                            ",dep=0,og=1,tim=" + std::to_string(1000 + i));
            break;
        case 3:
            lines.push_back("STAT #" + c + " id=1 cnt=1 pid=0 pos=" +
                            (rng() % 20000 == 0 ? std::string("z") : std::to_string(rng() % 4)) +
                            " obj=0 op='SORT AGGREGATE (cr=8 pr=6 pw=0 time=" + value() + " us)'");
            break;
        default:
            lines.push_back(rng() % 2 ? "" : "*** 2024-01-01 10:00:00.000");
        }
    }
    return lines;
}

void heavy_rules(TraceForm& t) {
    t.wait_rules({"ela=", "obj#="}, {"ela=", "file#="}, {"obj#=", "file#="});
    t.fetch_rules({"c=", "e=", "cr=", "r="}, {"e=", "r=", "cr="});
}

} // namespace

TEST(TraceSplitScan, RandomTracesComeOutAsTheSinglePassGivesThem) {
    std::mt19937 rng(1616);
    for (int round = 0; round < 8; ++round) {
        TraceForm t;
        heavy_rules(t);
        // Some rounds with no bad value, some with one or two somewhere.
        t.load(random_trace(rng, 30000, round % 2 == 0 ? 0 : 150));
        expect_same_both_ways(t, "round " + std::to_string(round));
    }
}

TEST(TraceSplitScan, RealTracesComeOutAsTheSinglePassGivesThem) {
    const auto folder = real_data("trace");
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "no real traces in " << folder.string();
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".trc") continue;
        for (const bool sample_rules : {true, false}) {
            TraceForm t;
            if (sample_rules) {
                ChangeDir samples(KAVRO_SAMPLES);
                t.form.FormShow();
            } else {
                heavy_rules(t);
            }
            t.form.trace.SQLIdList.text = entry.path().string();
            ASSERT_TRUE(t.form.user_click("Button102")) << t.form.last_error();
            expect_same_both_ways(t, entry.path().filename().string());
        }
    }
}

// Cancelling from the progress dialog: whether the general group is still
// going or already waits for the touch group, both groups end before one
// line, as the single pass does.
TEST(TraceSplitScan, ACancelLeavesEveryTableAtOneLine) {
    struct CancelAt : ProgressSink {
        int reports = 0, at = 0;
        std::uint64_t last = 0;
        bool on_way_back = false;
        void progress(std::uint64_t done, std::uint64_t, std::string_view) override {
            // A report below the one before comes from the waiting loop.
            const bool back = done < last;
            last = done;
            if (++reports == at || (on_way_back && back)) throw Error("Cancelled by user");
        }
    };
    for (const bool waiting : {false, true}) {
        SCOPED_TRACE(waiting ? "cancelled while waiting" : "cancelled on the way");
        CancelAt cancel;
        cancel.at = waiting ? -1 : 3;
        cancel.on_way_back = waiting;
        TraceForm t;
        // One plotted metric a line against five summed ones: the touch
        // group is far slower.
        t.wait_rules({"ela="}, {"ela=", "file#=", "block#=", "blocks="}, {"obj#="});
        t.load(std::vector<std::string>(
            120000, "WAIT #1: nam='e' ela= 2 file#=3 block#=4 blocks=5 obj#=7 tim=1"));
        clear_trace_results(t.page());
        bool cancelled = false;
        {
            ProgressScope scope(&cancel);
            try {
                scan_trace(t.page(), read_scan_rules(t.rules()), ScanMode::Split);
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()), "Cancelled by user");
                cancelled = true;
            }
        }
        const TracePage& p = t.page();
        const int scanned = static_cast<int>(rows(p.trace_detail).size());
        if (!waiting) {
            ASSERT_TRUE(cancelled);
        }
        if (!cancelled) continue; // the touch group was done first
        ASSERT_LT(scanned, 120000);
        EXPECT_EQ(rows(p.touch_grid1),
                  (Rows{{"#1:e", std::to_string(14 * scanned), std::to_string(4 * scanned)}}));
        EXPECT_EQ(rows(p.touch_grid2),
                  (Rows{{"#1:e(obj#=7 )", std::to_string(7 * scanned), std::to_string(scanned)}}));
    }
}
