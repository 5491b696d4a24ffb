// The shipped sample archive with the shipped rules, and real ps listings
// wrapped in snapshot markers: every row must hold the owner, process ID and
// CPU% that the listing's own columns show.
#include "core/convert.h"
#include "core/line_reader.h"
#include "ps_form.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>

using namespace kavro;
using namespace kavro::testing;
using Rows = std::vector<std::string>;

namespace {

Rows read_lines(const std::filesystem::path& p) {
    Rows out;
    for_each_line(p.string(), [&](std::string_view l) { out.emplace_back(l); });
    return out;
}

Rows words(const std::string& line) {
    std::istringstream in(line);
    Rows out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

// The rows an archive should give: one per process line, taken from the
// line's whitespace-separated words, in file order.
Rows expected_rows(const Rows& archive, std::size_t cpu_word, const std::string& header) {
    Rows out;
    std::string time;
    for (const std::string& l : archive) {
        if (l.rfind("zzz", 0) == 0) {
            time = words(l)[4];
            continue;
        }
        if (time.empty() || l.find(header) != std::string::npos) continue;
        const Rows w = words(l);
        out.push_back(time + "|" + w[1] + "|" + w[0] + "|" + w[cpu_word]);
    }
    return out;
}

} // namespace

TEST(PsRealData, TheSampleArchiveIsCutCorrectlyByTheSampleRules) {
    const std::filesystem::path samples(KAVRO_SAMPLES);
    TForm1 form;
    RecordingMessageBox messages;
    form.message_box = &messages;
    {
        ChangeDir here(samples);
        form.FormShow();
        ASSERT_TRUE(form.user_set("osw_filename", "OSW_Files/oswps_linux.dat"));
        ASSERT_TRUE(form.user_click("Button85"));
        ASSERT_TRUE(form.user_click("Button4")) << form.last_error();
    }
    EXPECT_TRUE(messages.shown.empty());
    const Rows archive = read_lines(samples / "OSW_Files/oswps_linux.dat");
    const Rows want = expected_rows(archive, 4, "%CPU");
    EXPECT_EQ(PsForm::rows(form.ps.osw_ps_grid), want);
    EXPECT_EQ(read_lines(samples / "OSW_Files/osw.txt"), archive) << "the default file";

    // The busy processes show with the default threshold, each with a bar.
    std::map<std::string, double> peak;
    for (const std::string& r : want) {
        const auto w = r.rfind('|');
        const std::string pid =
            r.substr(r.find('|') + 1, r.find('|', r.find('|') + 1) - r.find('|') - 1);
        peak[pid] = std::max(peak[pid], StrToFloat(r.substr(w + 1)));
    }
    std::set<std::string> busy;
    for (const auto& [pid, cpu] : peak)
        if (cpu >= 5) busy.insert(pid);
    const Chart& lines = form.ps.osw_process_chart;
    EXPECT_EQ(lines.series_count(), static_cast<int>(peak.size()));
    std::set<std::string> shown;
    for (int i = 0; i < lines.series_count(); ++i)
        if (lines.series(i).active()) shown.insert(lines.series(i).title());
    EXPECT_EQ(shown, busy);
    EXPECT_FALSE(busy.empty());
    EXPECT_EQ(form.ps.osw_gantt.series(0).bars().size(), busy.size());
    EXPECT_EQ(form.ps.osw_proc_count_chart.series(0).point_count(), 4) << "four snapshots";
}

TEST(PsRealData, RealListingsWrappedInSnapshots) {
    struct Case {
        const char* file;
        const char* rules;
        std::size_t cpu_word;
        const char* header;
    } cases[] = {
        // ps auxwww: USER PID %CPU ...
        {"ps/raw_linux_rhcos_sosreport_ps_auxwww.txt",
         "[OSW-PS]\nheading=zzz\nheading=%CPU\nuser=1,8\nprocess=10,5\ncpu=16,4\n[END]\n", 2,
         "%CPU"},
        // ps -ef: UID PID PPID C ..., the whole-number C column as the CPU.
        {"ps/raw_linux_centos77_ps-ef.out",
         "[OSW-PS]\nheading=zzz\nheading=PPID\nuser=1,8\nprocess=10,6\ncpu=23,3\n[END]\n", 3,
         "PPID"},
    };
    for (const Case& c : cases) {
        const auto path = real_data(c.file);
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << "real ps listings not found at " << path.string();
        const Rows listing = read_lines(path);
        Rows archive = {marker("02:19:25")};
        archive.insert(archive.end(), listing.begin(), listing.end());
        archive.push_back(marker("02:49:25"));
        archive.insert(archive.end(), listing.begin(), listing.end());

        PsForm t(c.rules);
        t.form.user_set("cpu_thr_value", "");
        ASSERT_TRUE(t.load(archive));
        ASSERT_TRUE(t.analyse()) << c.file << ": " << t.error();
        const Rows want = expected_rows(archive, c.cpu_word, c.header);
        EXPECT_EQ(want.size(), 2 * (listing.size() - 1)) << c.file;
        EXPECT_EQ(t.ps_rows(), want) << c.file;
        // Every process is one line of two points, one per snapshot.
        const Chart& lines = t.form.ps.osw_process_chart;
        EXPECT_EQ(lines.series_count(), static_cast<int>(listing.size() - 1)) << c.file;
        for (int i = 0; i < lines.series_count(); ++i)
            ASSERT_EQ(lines.series(i).point_count(), 2) << c.file << " " << lines.series(i).title();
        EXPECT_EQ(t.count_bars().size(), 2u);
    }
}
