// kavro-cli osw ARCHIVE against the same files loaded plain, one by one in
// time order, by the page shorthands: the same tables and charts.
#include "cli/cli.h"

#include "osw_archive_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

using namespace kavro;
using namespace kavro::testing;

namespace {

std::string read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The shipped sample of a page cut into hourly files at its snapshots.
std::vector<OswFile> hourly_files(const std::string& sample, const std::string& command) {
    const std::string text = read_file(std::filesystem::path(KAVRO_SAMPLES) / "OSW_Files" / sample);
    std::vector<std::size_t> marks;
    for (std::size_t at = text.find("zzz"); at != std::string::npos;
         at = text.find("\nzzz", at + 1))
        marks.push_back(at == 0 ? 0 : at + 1);
    const std::string header = text.substr(0, marks.front());
    std::vector<OswFile> files;
    const std::size_t half = marks.size() / 2;
    const std::size_t cut[] = {marks.front(), marks[half], text.size()};
    for (int i = 0; i < 2; ++i)
        files.push_back({"osw" + command + "/db01_" + command + "_16.06.06.1" + std::to_string(i) +
                             "00.dat" + (i == 0 ? ".gz" : ""),
                         header + text.substr(cut[i], cut[i + 1] - cut[i]),
                         i == 0 ? Compression::gzip : Compression::none});
    return files;
}

int cli(const std::vector<std::string>& args, std::string* printed = nullptr) {
    std::ostringstream out, err;
    const int code = run_cli(args, out, err);
    if (printed) *printed = out.str();
    return code;
}

} // namespace

TEST(CliOsw, OpensTheArchiveAnalysesItsPagesAndExportsAsThePlainFilesOneByOne) {
    TempDir dir;
    std::vector<OswFile> files = hourly_files("oswps_linux.dat", "ps");
    for (const OswFile& f : hourly_files("oswmpstat_aix.dat", "mpstat")) files.push_back(f);
    for (const OswFile& f : hourly_files("oswnetstat_linux.dat", "netstat")) files.push_back(f);
    std::reverse(files.begin(), files.end()); // the archive's order is not the time order
    const std::string archive = write_archive(dir, files, Packed::zip, "osw.zip");
    const std::string samples = KAVRO_SAMPLES;

    std::string summary;
    ASSERT_EQ(
        cli({"-C", samples, "osw", archive, "--out", (dir.path() / "osw").string()}, &summary), 0);
    EXPECT_EQ(summary.rfind("Opened \"" + archive + "\" (zip archive)\nOSW(ps): 2 files,", 0), 0u)
        << summary;

    const struct {
        const char* shorthand;
        const char* command;
        std::vector<const char*> tables;
        std::vector<const char*> charts;
    } pages[] = {
        {"ps",
         "ps",
         {"osw_grid", "osw_ps_grid"},
         {"osw_gantt", "osw_proc_count_chart", "osw_cpuutil_chart", "osw_process_chart"}},
        {"mpstat", "mpstat", {"mpstat_grid"}, {"cpu_util_chart"}},
        {"netstat", "netstat", {"nets_trace_grid", "nets_raw", "nets_anal"}, {"nets_graph"}}};
    const auto osw_form = nlohmann::json::parse(read_file(dir.path() / "osw" / "form.json"));
    for (const auto& p : pages) {
        // The same files unpacked, named in the field in time order.
        std::vector<std::string> names;
        for (const OswFile& f : files) {
            if (f.path.find(std::string("/db01_") + p.command + "_") == std::string::npos) continue;
            names.push_back(
                dir.file(std::filesystem::path(f.path).filename().string() + ".plain", f.content));
        }
        std::sort(names.begin(), names.end());
        const auto out = dir.path() / p.shorthand;
        ASSERT_EQ(cli({"-C", samples, p.shorthand, join_file_field(names), "--out", out.string()}),
                  0);
        for (const char* t : p.tables)
            EXPECT_EQ(read_file(dir.path() / "osw" / (std::string(t) + ".csv")),
                      read_file(out / (std::string(t) + ".csv")))
                << t;
        const auto plain_form = nlohmann::json::parse(read_file(out / "form.json"));
        for (const char* c : p.charts) {
            EXPECT_EQ(osw_form["charts"][c], plain_form["charts"][c]) << c;
            EXPECT_FALSE(osw_form["charts"][c]["series"].empty()) << c;
        }
    }
}

TEST(CliOsw, AnArchiveWithoutOswatcherFilesFails) {
    TempDir dir;
    const std::string archive = dir.file("none.tar", pack({{"README", "x\n"}}, Packing::tar));
    std::string printed;
    EXPECT_EQ(cli({"-C", KAVRO_SAMPLES, "osw", archive, "--export", "none"}, &printed), 1);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(cli({"osw"}), 2);
}
