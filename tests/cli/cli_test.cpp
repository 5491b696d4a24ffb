#include "app/export.h"
#include "cli/cli.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

using namespace kavro;
using kavro::testing::TempDir;

namespace {
std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct CliRun {
    int code;
    std::string out, err;
};

CliRun cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    const auto cwd = std::filesystem::current_path();
    const int code = run_cli(args, out, err);
    std::filesystem::current_path(cwd);
    return {code, out.str(), err.str()};
}
} // namespace

TEST(Export, TablesAreRfc4180WithEveryRow) {
    StringTable t(3);
    t.SetCell(0, 0, "Event");
    t.AppendRow({"#3:db file, \"seq\" read", "12", ""});
    t.AppendRow({"line\nbreak"});
    std::ostringstream out;
    write_table_csv(t, out);
    EXPECT_EQ(out.str(),
              "Event,,\r\n\"#3:db file, \"\"seq\"\" read\",12,\r\n\"line\nbreak\",,\r\n,,\r\n");
}

TEST(Cli, StepsRunAsUserActionsAndEverythingIsExported) {
    TempDir dir;
    dir.file("db.ini", "METADATA=.\n");
    dir.file("tracerules.ini", "");
    const auto out = dir.path() / "out";
    CliRun r =
        cli({"-C", dir.path().string(), "--set", "pid_filter=12", "--click", "OSWps1", "--track",
             "chartrot=300", "--click", "asplock", "--export", "all", "--out", out.string()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(out / "trace_grid.csv"));
    EXPECT_EQ(slurp(out / "osw_ps_grid.csv"), "Time,Process ID,Owner,CPU%\r\n,,,\r\n");
    const auto j = nlohmann::json::parse(slurp(out / "form.json"));
    EXPECT_EQ(j["edits"]["pid_filter"], "12");
    EXPECT_EQ(j["pages"]["OSWPage"]["front"], true);
    EXPECT_EQ(j["pages"]["Page_Conf_Set"]["front"], false);
    EXPECT_EQ(j["tracks"]["chartrot"], 300);
    EXPECT_EQ(j["checks"]["asplock"], false);
    EXPECT_EQ(j["selectors"]["cursor_combo"]["items"], nlohmann::json::array({"All"}));
    EXPECT_EQ(j["charts"]["execplan_graph"]["title"], "Execution Plan(All)");
    EXPECT_EQ(j["charts"]["osw_gantt"]["series"][0]["kind"], "gantt");
    EXPECT_EQ(j["boxes"]["objname_panel"]["visible"], false);
}

TEST(Cli, AnErrorEndsTheStepsWithCodeOneAfterTheExport) {
    TempDir dir;
    dir.file("tracerules.ini", "");
    const auto out = dir.path() / "out";
    CliRun r = cli({"-C", dir.path().string(), "--set", "SQLIdList=missing.trc", "--click",
                    "Button102", "--click", "OSWps1", "--export", "form", "--out", out.string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Cannot locate \"db.ini\" file"), std::string::npos); // start-up message
    EXPECT_NE(r.err.find("File not found"), std::string::npos);
    const auto j = nlohmann::json::parse(slurp(out / "form.json"));
    EXPECT_EQ(j["pages"]["Page_Conf_Set"]["front"], true); // the later step did not run
}

TEST(Cli, TimingsGiveALineForEachStepRunUpToTheError) {
    TempDir dir;
    dir.file("db.ini", "METADATA=.\n");
    dir.file("tracerules.ini", "");
    const auto timings = dir.path() / "steps.tsv";
    CliRun r =
        cli({"-C", dir.path().string(), "--click", "hISTORY1", "--set", "SQLIdList=missing.trc",
             "--click", "Button102", "--click", "OSWps1", "--timings", timings.string()});
    EXPECT_EQ(r.code, 1);
    std::istringstream lines(slurp(timings));
    std::vector<std::string> steps;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string step, ms, cpu;
        ASSERT_TRUE(std::getline(fields, step, '\t') && std::getline(fields, ms, '\t') &&
                    std::getline(fields, cpu))
            << line;
        EXPECT_GE(std::stod(ms), 0) << line;
        steps.push_back(step);
    }
    EXPECT_EQ(steps, (std::vector<std::string>{"--click hISTORY1", "--set SQLIdList=missing.trc",
                                               "--click Button102"}));
}

TEST(Cli, MalformedCommandLines) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{"--set", "novalue"}, {"--click"}, {"trace"}, {"frobnicate"}})
        EXPECT_EQ(cli(args).code, 2) << args[0];
    EXPECT_EQ(cli({"--help"}).code, 0);
}

TEST(CliSummary, SamplesAreSummarisedFromTheirPagesAnalyses) {
    CliRun r = cli({"-C", KAVRO_SAMPLES, "summary", "trace", "Trace_Files/tracefile.trc", "ps",
                    "OSW_Files/oswps_linux.dat", "mpstat", "OSW_Files/oswmpstat_aix.dat", "mpstat",
                    "OSW_Files/oswmpstat_linux.dat", "netstat", "OSW_Files/oswnetstat_linux.dat"});
    EXPECT_EQ(r.code, 0) << r.err;
    for (const char* line : {
             "  4,226 lines, 27 cursors, 40 wait figures, 1,122 fetch figures, 56 plan rows\n",
             "  response time 5.513 s in 1 session, 33 statements\n",
             "    90.8%  5.006 s  *PL/SQL lock timer  (10 waits)\n",
             "    1.6%  87.4 ms  CPU  (6 calls)\n",
             "    87.8 ms  4xn8755d4fd5z  10 executions  SELECT COUNT(*) EMP_COUNT FROM "
             "HR.EMPLOYEES\n",
             "  4 snapshots, 09:05:01 to 09:06:31; 42 processes, at most 38 in one snapshot\n",
             "    218.9  pid 30477 (oracle)\n",
             // Each file is read on its own: the second mpstat archive is not
             // added to the first.
             "  6 logical CPUs, 6 snapshots, 10:00:01 to 10:02:31\n",
             "  4 logical CPUs, 8 snapshots, 10:00:01 to 10:01:31\n",
             "    +6,170  Ip:total packets received\n",
         })
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\nin:\n" << r.out;
}

TEST(CliSummary, AFileThatCannotBeReadIsSaidAndTheOthersGoOn) {
    CliRun r = cli({"-C", KAVRO_SAMPLES, "summary", "trace", "no such.trc", "ps",
                    "OSW_Files/oswps_linux.dat"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("  could not be read: File not found\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("42 processes"), std::string::npos) << r.out;
    EXPECT_EQ(cli({"summary", "trace"}).code, 2);
    EXPECT_EQ(cli({"summary", "pdf", "x"}).code, 2);
}
