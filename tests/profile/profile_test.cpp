// The response-time profile, one fixture per definition: which lines are
// read, how statements, sessions, nesting, waits, objects, histograms,
// transactions, errors, gaps and the clock are figured.
#include "profile/profile.h"

#include "profile/line_forms.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

namespace kavro::profile {
namespace {

Profile of(const std::string& name, Window w = {}) {
    return profile_file(kavro::testing::fixture("profile/" + name).string(), w);
}

Profile of_text(std::string_view text) {
    Builder b;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t nl = text.find('\n', at);
        if (nl == std::string_view::npos) nl = text.size();
        b.add_line(text.substr(at, nl - at));
        at = nl + 1;
    }
    return b.finish();
}

const Component& component(const Profile& p, std::string_view name) {
    for (const Component& c : p.components)
        if (c.name == name) return c;
    static const Component none{"(none)", -1, {}, {}, {}};
    ADD_FAILURE() << "no component " << name;
    return none;
}

void expect_calls(const CallSums& c, std::array<std::int64_t, 8> want) {
    EXPECT_EQ((std::array<std::int64_t, 8>{c.count, c.c, c.e, c.p, c.cr, c.cu, c.mis, c.r}), want);
}

TEST(Profile, CursorNumbersAreReusedAndOneKeyIsOneStatement) {
    const Profile p = of("cursor_reuse.trc");
    ASSERT_EQ(p.statements.size(), 3u);
    const Statement& a = p.statements[0];
    EXPECT_EQ(a.key, "aaa");
    EXPECT_EQ(a.parses, 2);
    EXPECT_EQ(a.text, "select 1\nfrom dual"); // the first text seen
    EXPECT_EQ(a.hv, 111);
    EXPECT_EQ(a.dep, 0);
    expect_calls(a.calls[kParse], {1, 10, 20, 1, 2, 3, 1, 0});
    expect_calls(a.calls[kExec], {2, 7, 8, 0, 0, 0, 0, 0}); // #1 before reuse and #2
    expect_calls(a.calls[kFetch], {1, 7, 8, 2, 4, 0, 0, 5});
    expect_calls(a.calls[kClose], {1, 1, 2, 0, 0, 0, 0, 0});
    EXPECT_EQ(a.elapsed, 38);
    ASSERT_EQ(a.waits.size(), 1u);
    EXPECT_EQ(a.waits[0].sums.time, 100);
    ASSERT_EQ(a.plan.size(), 1u);
    EXPECT_EQ(a.plan[0].op, "TABLE ACCESS FULL T (cr=4 pr=2 pw=0 time=8 us)");

    // #1 after its second header belongs to bbb.
    const Statement& b = p.statements[1];
    EXPECT_EQ(b.key, "bbb");
    expect_calls(b.calls[kExec], {1, 3, 4, 0, 1, 0, 0, 0});
    ASSERT_EQ(b.waits.size(), 1u);
    EXPECT_EQ(b.waits[0].sums.time, 50);

    // A cursor no header bound.
    const Statement& c = p.statements[2];
    EXPECT_EQ(c.key, "#3");
    EXPECT_FALSE(c.sqlid || c.hv || c.dep || c.text);
    EXPECT_EQ(c.parses, 0);
    EXPECT_EQ(c.elapsed, 1);

    EXPECT_EQ(p.response_time, 420);
    EXPECT_EQ(p.cpu, 29);
    EXPECT_EQ(p.cpu_calls, 7);
    EXPECT_EQ(component(p, "unaccounted-for").time, 420 - 29 - 150);
    EXPECT_EQ(p.components[0].name, "unaccounted-for");
    ASSERT_EQ(p.objects.size(), 1u);
    EXPECT_EQ(p.objects[0].obj, 77);
    EXPECT_EQ(p.objects[0].count, 2);
    EXPECT_EQ(p.objects[0].time, 150);
    const Histogram* h = p.histogram("db file sequential read");
    ASSERT_TRUE(h);
    ASSERT_EQ(h->buckets.size(), 2u);
    EXPECT_EQ(h->buckets[0].lo, 32);
    EXPECT_EQ(h->buckets[0].hi, 64);
    EXPECT_EQ(h->buckets[1].lo, 64);
    EXPECT_EQ(h->buckets[1].time, 100);
    ASSERT_TRUE(p.clock);
    EXPECT_EQ(p.clock->wall, "2020-01-01 10:00:00.000");
    EXPECT_EQ(p.clock->tim, 1000); // the header line's own tim
}

TEST(Profile, CutTraceWithRecursiveCallsOnlyStillCountsItsCpu) {
    const Profile p = of("cut_recursive.trc");
    // The depth-2 calls inside #4's first EXEC are its children; the one
    // that ended before #6 started and every depth-1 call are top-level.
    EXPECT_EQ(p.cpu, 50 + 300 + 70 + 20);
    EXPECT_EQ(p.cpu_calls, 4);
    EXPECT_EQ(p.response_time, 800);
    EXPECT_EQ(p.transactions.commits, 1);
    ASSERT_EQ(p.statements.size(), 3u);
    EXPECT_EQ(p.statements[0].key, "#4");
    EXPECT_EQ(p.statements[0].elapsed, 430);
    EXPECT_EQ(p.statements[1].key, "#5");
    expect_calls(p.statements[1].calls[kFetch], {1, 10, 20, 0, 0, 0, 0, 1});
    EXPECT_FALSE(p.clock);
}

TEST(Profile, TrcsessMergeCountsEachSessionsSpan) {
    const Profile p = of("trcsess_two.trc");
    ASSERT_EQ(p.sessions.size(), 2u); // the unnamed one has no timed line
    EXPECT_EQ(p.sessions[0].id, "Unix process pid: 100");
    EXPECT_EQ(p.sessions[0].first, 10000000);
    EXPECT_EQ(p.sessions[0].last, 12000500);
    EXPECT_EQ(p.sessions[1].id, "Unix process pid: 200");
    EXPECT_EQ(p.response_time, 2000500 + 3000000);
    EXPECT_EQ(p.first, 10000000);
    EXPECT_EQ(p.last, 14000000);
    EXPECT_EQ(p.cpu, 65);
    // Cursor #1 is bound in the first session only.
    ASSERT_EQ(p.statements.size(), 2u);
    EXPECT_EQ(p.statements[0].key, "s1");
    EXPECT_EQ(p.statements[0].elapsed, 400);
    EXPECT_EQ(p.statements[1].key, "#1");
    EXPECT_EQ(p.statements[1].rows(), 2);
    EXPECT_EQ(*component(p, "SQL*Net message from client").idle, true);
    EXPECT_EQ(*component(p, "SQL*Net message to client").idle, false);
    EXPECT_EQ(component(p, "unaccounted-for").time, 5000500 - 65 - 2000005);
    EXPECT_TRUE(p.objects.empty()); // -1 and 4294967295 name no object
    ASSERT_EQ(p.gaps.size(), 1u);
    EXPECT_EQ(p.gaps[0].session, "Unix process pid: 200");
    EXPECT_EQ(p.gaps[0].after, 11000210);
    EXPECT_EQ(p.gaps[0].time, 13999990 - 11000210);
    EXPECT_EQ(p.clock->wall, "2019-07-09T09:57:07.703515-07:00");
    EXPECT_EQ(p.clock->tim, 10000000);
}

TEST(Profile, LobCallsHaveNoCursorAndDepthZero) {
    const Profile p = of("lob.trc");
    EXPECT_EQ(p.cpu, 169 + 25);
    EXPECT_EQ(p.cpu_calls, 2);
    EXPECT_EQ(p.response_time, 1100 - 830);
    EXPECT_TRUE(p.statements.empty());
    EXPECT_EQ(p.ignored_lines, 1u); // the LOBREAD without e= and tim=
    ASSERT_EQ(p.ignored.size(), 1u);
    EXPECT_EQ(p.ignored[0].number, 4u);
    ASSERT_EQ(p.objects.size(), 1u);
    EXPECT_EQ(p.objects[0].obj, 56682298);
}

TEST(Profile, ErrorsParseErrorsAndTransactionEnds) {
    const Profile p = of("errors.trc");
    ASSERT_EQ(p.errors.size(), 4u);
    const auto row = [&](std::size_t i) {
        const ErrorCount& e = p.errors[i];
        return e.kind + " " + std::to_string(e.err) + " " + e.key.value_or("null") + " " +
               std::to_string(e.count);
    };
    EXPECT_EQ(row(0), "ERROR 1403 hv:99 2");
    EXPECT_EQ(row(1), "ERROR 600 null 1");
    EXPECT_EQ(row(2), "ERROR 1403 #8 1");
    EXPECT_EQ(row(3), "PARSE ERROR 942 null 1");
    EXPECT_EQ(p.transactions.commits, 2);
    EXPECT_EQ(p.transactions.rollbacks, 1);
    EXPECT_EQ(p.transactions.read_only, 1);
    EXPECT_EQ(p.ignored_lines, 2u); // err=abc, XCTEND without tim
    EXPECT_EQ(p.response_time, 900);
    ASSERT_EQ(p.statements.size(), 1u); // errors make no statement
    EXPECT_EQ(p.statements[0].key, "hv:99");
    EXPECT_EQ(p.statements[0].parses, 1);
}

TEST(Profile, WaitsWithoutTimCountEverywhereButSpansAndCutWaitsAreIgnored) {
    const Profile p = of("old_waits.trc");
    const Component& seq = component(p, "db file sequential read");
    EXPECT_EQ(seq.count, 2);
    EXPECT_EQ(seq.time, 42);
    EXPECT_EQ(seq.max, 30);
    EXPECT_EQ(component(p, "db file scattered read").time, 7);
    EXPECT_EQ(p.ignored_lines, 1u);
    EXPECT_EQ(p.response_time, 1200);
    EXPECT_EQ(component(p, "unaccounted-for").time, 1200 - 1000 - 49);
    ASSERT_EQ(p.statements.size(), 1u);
    EXPECT_EQ(p.statements[0].waits.size(), 2u);
    ASSERT_EQ(p.objects.size(), 1u);
    EXPECT_EQ(p.objects[0].obj, 55);

    // 23c writes no blank after ela=.
    const Profile p23 = of_text("WAIT #5: nam='SQL*Net message to client' ela=11 driver id=1 "
                                "#bytes=1 p3=0 obj#=4294967295 tim=98778611842");
    EXPECT_EQ(p23.ignored_lines, 0u);
    EXPECT_EQ(p23.wait_time, 11);
    EXPECT_EQ(p23.response_time, 11);
}

TEST(Profile, SqlTextIsNeverReadAsTraceLines) {
    const Profile p = of("sql_like_wait.trc");
    EXPECT_EQ(p.statements[0].text,
              "WAIT #3: nam='fake' ela= 999 tim=200\nEXEC #3:c=5,e=5,dep=0,tim=300\n"
              "*** [ not a session ]");
    EXPECT_EQ(p.wait_time, 0);
    EXPECT_EQ(p.cpu, 1);
    EXPECT_EQ(p.response_time, 2);
    ASSERT_EQ(p.sessions.size(), 1u);
    EXPECT_EQ(p.sessions[0].id, "");
}

TEST(Profile, ClockPairsWithTheNextTimNotPrecededByAWordCharacter) {
    const Profile plain = of("clock_no_zone.trc");
    ASSERT_TRUE(plain.clock);
    EXPECT_EQ(plain.clock->wall, "2014-08-09 18:35:23.373");
    EXPECT_EQ(plain.clock->tim, 4242);

    const Profile zoned = of("clock_zone.trc");
    ASSERT_TRUE(zoned.clock);
    EXPECT_EQ(zoned.clock->wall, "2019-07-09T09:57:07.703476-07:00");
    EXPECT_EQ(zoned.clock->tim, 664028831154); // not the tim= in the SQL text

    const Profile unpaired = of_text("*** 2020-02-02 02:02:02\nno tim here");
    ASSERT_TRUE(unpaired.clock);
    EXPECT_FALSE(unpaired.clock->tim);
    EXPECT_FALSE(of_text("*** SESSION ID:(1.2) 2020-02-02 02:02:02\nWAIT #0: nam='x' ela= 1 "
                         "tim=5")
                     .clock);
}

TEST(Profile, GapsAreMoreThanASecondAfterTheLatestEndOfTheirSession) {
    const Profile p = of_text("XCTEND rlbk=0, rd_only=0, tim=0\n"
                              "XCTEND rlbk=0, rd_only=0, tim=1000000\n"   // exactly 1 s: no gap
                              "EXEC #1:c=0,e=4999999,dep=0,tim=7000000\n" // from 2 s + 1 us
                              "XCTEND rlbk=0, rd_only=0, tim=3000000\n"   // inside it
                              "XCTEND rlbk=0, rd_only=0, tim=8000001\n");
    ASSERT_EQ(p.gaps.size(), 2u);
    EXPECT_EQ(p.gaps[0].after, 1000000);
    EXPECT_EQ(p.gaps[0].time, 1000001);
    EXPECT_EQ(p.gaps[1].after, 7000000);
    EXPECT_EQ(p.gaps[1].time, 1000001);
    // Sorted by time, largest first, then after.
    std::string many;
    for (int i = 0; i < 15; ++i)
        many += "XCTEND rlbk=0, rd_only=0, tim=" + std::to_string(i * 3000000 + (i % 3)) + "\n";
    const Profile m = of_text(many);
    ASSERT_EQ(m.gaps.size(), 10u);
    for (std::size_t i = 1; i < m.gaps.size(); ++i)
        EXPECT_TRUE(m.gaps[i - 1].time > m.gaps[i].time || (m.gaps[i - 1].time == m.gaps[i].time &&
                                                            m.gaps[i - 1].after < m.gaps[i].after));
}

TEST(Profile, MalformedLinesOfEachFormAreCountedAndTheRestGoesOn) {
    const Profile p = of_text("PARSING IN CURSOR #x len=1\n"
                              "EXEC #1:c=1,tim=5\n"
                              "EXEC #1:c=1,e=1\n"
                              "FETCH 1:c=1,e=1,tim=5\n"
                              "WAIT #1: nam='x' ela=\n"
                              "WAIT #1 nam='x' ela= 3 tim=9\n"
                              "ERROR #1:err=1\n"
                              "PARSE ERROR #1:err=1\n"
                              "*** [ no end\n"
                              "XCTEND rlbk=x, rd_only=0, tim=1\n"
                              "EXEC #1:c=2,e=-1,dep=0,tim=5\n"
                              "SORT UNMAP #1:c=1\n"
                              "some other line\n"
                              "*** SERVICE NAME:(x) 2020-01-01 00:00:00\n"
                              "EXEC #1:c=3,e=4,dep=0,tim=10\n");
    EXPECT_EQ(p.ignored_lines, 11u);
    EXPECT_EQ(p.ignored.size(), 10u);
    EXPECT_EQ(p.ignored[0].number, 1u);
    EXPECT_EQ(p.cpu, 3);
    EXPECT_EQ(p.response_time, 4);
}

TEST(Profile, WindowKeepsLinesWhoseTimFallsInside) {
    Window w;
    w.from = 1100;
    w.to = 1300;
    const Profile p = of("cursor_reuse.trc", w);
    // FETCH 1040 and earlier, EXEC 1410, 1420 fall outside.
    EXPECT_EQ(p.first, 1150 - 100);
    EXPECT_EQ(p.last, 1300);
    EXPECT_EQ(p.cpu, 1 + 3);
    const Statement* a = p.statement("aaa");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->parses, 0); // its headers are at 1000 and 1400
    EXPECT_EQ(a->text, "select 1\nfrom dual");
    EXPECT_FALSE(p.statement("#3"));

    const Profile whole = of("cursor_reuse.trc");
    EXPECT_EQ(window_tim("0.1", whole), 1000 + 100000);
    EXPECT_EQ(window_tim("2020-01-01 10:00:01", whole), 1000 + 1000000);
    EXPECT_EQ(window_tim("09:59:59.5", whole), 1000 - 500000);
    EXPECT_EQ(window_tim("2019-12-31T23:00:00", whole), 1000 - 11 * 3600 * 1000000LL);
    EXPECT_FALSE(window_tim("tomorrow", whole));
}

TEST(Profile, NumbersAreWholeWithin64Bits) {
    struct Case {
        const char* text;
        std::optional<std::int64_t> whole, integer;
    };
    const Case cases[] = {
        {"0", 0, 0},
        {"123456789012345678", 123456789012345678, 123456789012345678},
        {"9223372036854775807", INT64_MAX, INT64_MAX},
        {"9223372036854775808", std::nullopt, std::nullopt},
        {"99999999999999999999", std::nullopt, std::nullopt},
        {"-42", std::nullopt, -42},
        {"-", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"12a", std::nullopt, std::nullopt},
        {" 1", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(forms::whole(c.text), c.whole) << c.text;
        EXPECT_EQ(forms::integer(c.text), c.integer) << c.text;
    }
}

// Lines of the fixtures cut, spliced and flipped at random: the builder
// never stops, and its figures keep their identities.
TEST(Profile, MangledLinesNeverStopItAndTheSumsStayWhole) {
    std::vector<std::string> lines;
    for (const char* name :
         {"cursor_reuse.trc", "cut_recursive.trc", "trcsess_two.trc", "lob.trc", "errors.trc",
          "old_waits.trc", "sql_like_wait.trc", "clock_zone.trc"}) {
        std::ifstream in(kavro::testing::fixture(std::string("profile/") + name));
        for (std::string l; std::getline(in, l);) lines.push_back(l);
    }
    std::mt19937 rnd(11);
    for (int round = 0; round < 40; ++round) {
        Builder b;
        for (int i = 0; i < 500; ++i) {
            std::string l = lines[rnd() % lines.size()];
            switch (rnd() % 5) {
            case 0:
                l.resize(rnd() % (l.size() + 1));
                break;
            case 1:
                l += lines[rnd() % lines.size()].substr(rnd() % 8);
                break;
            case 2:
                if (!l.empty()) l[rnd() % l.size()] = static_cast<char>(rnd() % 256);
                break;
            default:
                break;
            }
            b.add_line(l);
        }
        const Profile p = b.finish();
        std::int64_t r = 0, parts = 0;
        for (const Session& s : p.sessions) r += s.last - s.first;
        for (const Component& c : p.components) parts += c.time;
        EXPECT_EQ(p.response_time, r);
        EXPECT_EQ(parts, r);
        EXPECT_LE(p.gaps.size(), 10u);
    }
}

} // namespace
} // namespace kavro::profile
