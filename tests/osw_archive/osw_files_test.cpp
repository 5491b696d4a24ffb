// OSWatcher's file names: the command a file holds, the time it starts, the
// order files load in, and the file field that names several of them.
#include "osw_archive/osw_files.h"

#include <gtest/gtest.h>

#include <optional>

using namespace kavro;

TEST(OswFiles, TheFolderOrTheNameTellsTheCommand) {
    const struct {
        const char* path;
        std::optional<OswKind> kind;
    } cases[] = {
        {"archive/oswps/db01_ps_16.06.06.1000.dat.gz", OswKind::ps},
        {"oswmpstat/anything.dat", OswKind::mpstat},
        {"C:\\osw\\archive\\oswnetstat\\db01.dat", OswKind::netstat},
        {"oswps/2016/june/x.dat", OswKind::ps},                     // the nearest osw folder
        {"oswnetstat/db01_ps_16.06.06.1000.dat", OswKind::netstat}, // the folder before the name
        {"db01_mpstat_16.06.06.1000.dat", OswKind::mpstat},
        {"copies/db01_netstat_16.06.06.1000.dat.bz2", OswKind::netstat},
        {"oswtop/db01_top_16.06.06.1000.dat", std::nullopt},
        {"oswpsx/db01.dat", std::nullopt},
        {"oswps_notes/readme.txt", std::nullopt},
        {"db01_ps.dat", std::nullopt},
        {"_ps_/readme.txt", std::nullopt}, // a name mark counts in the file's own name only
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(osw_kind_of(c.path), c.kind) << c.path;
}

TEST(OswFiles, FilesGoInTheOrderOfTheTimeInTheirNamesThenByName) {
    EXPECT_EQ(osw_name_time("oswps/db01_ps_16.06.06.1000.dat.gz"), 1606061000u);
    EXPECT_EQ(osw_name_time("db01_ps_15.12.31.2300.dat"), 1512312300u);
    EXPECT_EQ(osw_name_time("db01_ps.dat"), std::nullopt);
    EXPECT_EQ(osw_name_time("db01_ps_116.06.06.1000.dat"), std::nullopt); // part of a longer number
    EXPECT_EQ(osw_name_time("16.06.06.1000/db01.dat"), std::nullopt);     // the name, not a folder

    std::vector<std::string> files = {
        "oswps/db01_ps_16.06.07.0000.dat",    "b.dat",
        "oswps/db01_ps_16.06.06.2300.dat.gz", "a.dat",
        "other/db01_ps_16.06.06.2300.dat",    "db01_ps_15.12.31.2300.dat",
    };
    sort_osw_order(files);
    EXPECT_EQ(files, (std::vector<std::string>{
                         "db01_ps_15.12.31.2300.dat", "oswps/db01_ps_16.06.06.2300.dat.gz",
                         "other/db01_ps_16.06.06.2300.dat", "oswps/db01_ps_16.06.07.0000.dat",
                         "a.dat", "b.dat"}));
}

TEST(OswFiles, TheFileFieldNamesOneFileAsItIsAndSeveralInQuotes) {
    const struct {
        const char* text;
        std::vector<std::string> names;
    } cases[] = {
        {"/osw/osw.txt", {"/osw/osw.txt"}},
        {"C:\\My Files\\db01 ps.dat", {"C:\\My Files\\db01 ps.dat"}},
        {"\"/a/x.dat\" \"/b/y z.dat\"", {"/a/x.dat", "/b/y z.dat"}},
        {"  \"/a/x.dat\"  ", {"/a/x.dat"}},
        {"\"/a/x.dat", {"\"/a/x.dat"}},                       // no closing quote: one name as typed
        {"\"/a/x.dat\" /b/y.dat", {"\"/a/x.dat\" /b/y.dat"}}, // not a list after all
        {"", {""}},
    };
    for (const auto& c : cases) EXPECT_EQ(split_file_field(c.text), c.names) << c.text;
    const std::vector<std::string> several = {"/a/x.dat", "/b/y z.dat"};
    EXPECT_EQ(join_file_field(several), "\"/a/x.dat\" \"/b/y z.dat\"");
    EXPECT_EQ(split_file_field(join_file_field(several)), several);
    EXPECT_EQ(join_file_field({"/a/x y.dat"}), "/a/x y.dat");
}
