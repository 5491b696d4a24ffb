// kavro-cli profile: the report, the JSON (keys, nulls, integers), the
// window options and the exit codes.
#include "cli/cli.h"

#include "test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

namespace kavro {
namespace {

struct CliRun {
    int code;
    std::string out, err;
};

CliRun run(std::vector<std::string> args) {
    std::ostringstream out, err;
    args.insert(args.begin(), "profile");
    const int code = run_cli(args, out, err);
    return {code, out.str(), err.str()};
}

std::string fixture(const char* name) {
    return kavro::testing::fixture(std::string("profile/") + name).string();
}

TEST(CliProfile, WritesTheReportAndTheJson) {
    kavro::testing::TempDir dir;
    const std::string json = (dir.path() / "p.json").string();
    const CliRun r = run({fixture("cursor_reuse.trc"), "--json", json});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("response time  0.420 ms"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("start          2020-01-01 10:00:00.000000"), std::string::npos);
    EXPECT_NE(r.out.find("| select 1"), std::string::npos);

    const auto j = nlohmann::ordered_json::parse(std::ifstream(json));
    std::vector<std::string> keys;
    for (auto it = j.begin(); it != j.end(); ++it) keys.push_back(it.key());
    const std::vector<std::string> want = {
        "response_time", "first",   "last",       "clock",   "ignored_lines",
        "sessions",      "profile", "statements", "objects", "histograms",
        "transactions",  "errors",  "gaps"};
    ASSERT_GE(keys.size(), want.size());
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 13), want);
    EXPECT_TRUE(j["response_time"].is_number_integer());
    EXPECT_EQ(j["clock"]["tim"], 1000);
    const auto& cpu = j["profile"][2];
    EXPECT_EQ(cpu["component"], "CPU");
    EXPECT_TRUE(cpu["max"].is_null());
    EXPECT_TRUE(cpu["idle"].is_null());
    EXPECT_TRUE(j["profile"][0]["count"].is_null()); // unaccounted-for
    EXPECT_EQ(j["profile"][1]["idle"], false);
    const auto& unbound = j["statements"][2];
    EXPECT_EQ(unbound["key"], "#3");
    EXPECT_TRUE(unbound["sqlid"].is_null() && unbound["text"].is_null() &&
                unbound["dep"].is_null());
    EXPECT_EQ(unbound["calls"].size(), 1u); // only EXEC occurred
    EXPECT_EQ(j["statements"][0]["calls"]["FETCH"]["r"], 5);
    EXPECT_EQ(j["histograms"]["db file sequential read"][0]["lo"], 32);
}

TEST(CliProfile, WindowTopAndBadArguments) {
    kavro::testing::TempDir dir;
    const std::string json = (dir.path() / "w.json").string();
    ASSERT_EQ(run({fixture("trcsess_two.trc"), "--from", "0.5", "--to", "09:57:09.703515", "--json",
                   json, "--top", "1"})
                  .code,
              0);
    const auto j = nlohmann::json::parse(std::ifstream(json));
    // From 10.5 s to 12.0 s of tim: the second session's first lines only.
    EXPECT_EQ(j["first"], 11000000);
    EXPECT_EQ(j["last"], 11000210);

    EXPECT_EQ(run({}).code, 2);
    EXPECT_EQ(run({fixture("lob.trc"), "--top", "x"}).code, 2);
    EXPECT_EQ(run({fixture("lob.trc"), "--from", "soon"}).code, 2);
    const CliRun missing = run({(dir.path() / "none.trc").string()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("File not found"), std::string::npos);
    EXPECT_EQ(run({"--help"}).code, 0);
}

} // namespace
} // namespace kavro
