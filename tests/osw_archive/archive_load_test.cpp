// Archives onto the three raw tables: every packing gives what loading the
// files one by one in time order gives, with a summary of what was found.
#include "osw_archive/osw_load.h"

#include "core/error.h"
#include "core/string_table.h"
#include "osw_archive/archive_reader.h"

#include "osw_archive_support.h"

#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::testing;

namespace {

std::vector<std::string> loaded_rows(const StringTable& t) {
    std::vector<std::string> out;
    for (int r = 1; r + 1 < t.RowCount(); ++r) out.emplace_back(t.Cell(0, r));
    EXPECT_EQ(t.Cell(0, t.RowCount() - 1), "") << "the append slot";
    return out;
}

struct Pages {
    StringTable raw[3];
    OswLoadInfo info[3];
    int cleared[3] = {0, 0, 0};
    std::vector<OswPageLoad> loads() {
        std::vector<OswPageLoad> l;
        for (OswKind k : kOswKinds) {
            const int i = static_cast<int>(k);
            l.push_back({k, &raw[i], &info[i], [this, i] { ++cleared[i]; }});
        }
        return l;
    }
};

} // namespace

class ArchiveLoad : public ::testing::TestWithParam<Packed> {};

TEST_P(ArchiveLoad, GivesEachPageItsFilesInTimeOrder) {
    TempDir dir;
    const auto files = osw_files();
    const std::string path = write_archive(dir, files, GetParam());
    Pages pages;
    const OswArchiveSummary s = load_osw_archive(path, pages.loads());
    const char* commands[] = {"ps", "mpstat", "netstat"};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(loaded_rows(pages.raw[k]), lines_in_time_order(files, commands[k]))
            << commands[k];
        EXPECT_EQ(pages.cleared[k], 1) << commands[k];
    }
    EXPECT_EQ(s.pages[0].files, 3);
    EXPECT_EQ(s.pages[1].files, 1);
    EXPECT_EQ(s.pages[2].files, 2);
    EXPECT_EQ(s.pages[0].first_snapshot, "Mon Jun 6 10:00:01 CDT 2016");
    EXPECT_EQ(s.pages[0].last_snapshot, "Mon Jun 6 12:00:31 CDT 2016");
    EXPECT_EQ(s.others, 2);
    EXPECT_EQ(s.skipped, 0);
    EXPECT_EQ(pages.info[0].files, 3);
    EXPECT_EQ(pages.info[0].header.host, "db01");
    EXPECT_EQ(pages.info[0].text(),
              "3 files \u00b7 snapshots from Mon Jun 6 10:00:01 CDT 2016 to Mon Jun 6 12:00:31 CDT "
              "2016");
    const char* described[] = {"folder",
                               "tar archive",
                               "gzip-compressed tar archive",
                               "bzip2-compressed tar archive",
                               "xz-compressed tar archive",
                               "zstd-compressed tar archive",
                               "zip archive"};
    EXPECT_EQ(s.description, described[static_cast<int>(GetParam())]);
    EXPECT_EQ(s.text(),
              "Opened \"" + path + "\" (" + s.description +
                  ")\nOSW(ps): 3 files, snapshots from Mon Jun 6 10:00:01 CDT 2016 to Mon "
                  "Jun 6 12:00:31 CDT 2016\nOSW(mpstat): 1 file, snapshots from Mon Jun "
                  "6 10:00:01 CDT 2016 to Mon Jun 6 10:00:31 CDT 2016\nOSW(netstat): 2 "
                  "files, snapshots from Mon Jun 6 10:00:01 CDT 2016 to Mon Jun 6 11:00:31 "
                  "CDT 2016\n2 other files were not loaded.");
}

TEST_P(ArchiveLoad, APageLoadTakesItsOwnFilesAfterWhatItHolds) {
    TempDir dir;
    const auto files = osw_files();
    const std::string path = write_archive(dir, files, GetParam());
    const std::string plain = dir.file("later.dat", "after the archive\n");
    StringTable raw(1);
    raw.AppendLine("loaded before");
    OswLoadInfo info;
    load_osw_field(join_file_field({path, plain}), {OswKind::netstat, &raw, &info, {}});
    std::vector<std::string> want = {"loaded before"};
    for (const std::string& l : lines_in_time_order(files, "netstat")) want.push_back(l);
    want.push_back("after the archive");
    EXPECT_EQ(loaded_rows(raw), want);
    EXPECT_EQ(info.files, 3);
}

INSTANTIATE_TEST_SUITE_P(Packings, ArchiveLoad, ::testing::ValuesIn(kPackings),
                         [](const auto& info) { return std::string(packed_name(info.param)); });

TEST(ArchiveLoad, OneOswatcherFileOpensAsAnArchiveOfOne) {
    TempDir dir;
    const std::string path = dir.file("db01_mpstat_16.06.06.1000.dat.gz",
                                      compress(osw_text("mpstat", 10), Compression::gzip));
    Pages pages;
    const OswArchiveSummary s = load_osw_archive(path, pages.loads());
    EXPECT_EQ(s.description, "file");
    EXPECT_EQ(s.pages[1].files, 1);
    EXPECT_EQ(loaded_rows(pages.raw[1]).size(), 11u);
    EXPECT_EQ(pages.cleared[0], 0);
    EXPECT_EQ(pages.cleared[2], 0);
}

TEST(ArchiveLoad, IsArchiveByContent) {
    TempDir dir;
    const std::vector<Member> one = {{"oswps/a_ps_16.06.06.1000.dat", "zzz\n"}};
    EXPECT_TRUE(is_archive(dir.path().string()));
    EXPECT_TRUE(is_archive(dir.file("x.dat", pack(one, Packing::tar))));
    EXPECT_TRUE(
        is_archive(dir.file("x.txt", compress(pack(one, Packing::tar), Compression::zstd))));
    EXPECT_TRUE(is_archive(dir.file("x.gz", pack(one, Packing::zip))));
    EXPECT_TRUE(is_archive(dir.file("empty.tar", std::string(10240, '\0'))));
    EXPECT_FALSE(is_archive(dir.file("x.tar.gz", compress("zzz ***\n", Compression::gzip))));
    EXPECT_FALSE(is_archive(dir.file("x.zip", "PK is not enough\n")));
    EXPECT_FALSE(is_archive((dir.path() / "missing.tar").string()));
    EXPECT_FALSE(is_archive("/dev/null"));
}
