// The header lines OSWatcher writes at the top of each file.
#include "osw_archive/osw_header.h"

#include "core/string_table.h"

#include <gtest/gtest.h>

using namespace kavro;

namespace {
void append(StringTable& t, std::initializer_list<const char*> lines) {
    for (const char* l : lines) t.AppendLine(l);
}
} // namespace

TEST(OswHeader, ReadsTheFactsBeforeTheFirstSnapshot) {
    StringTable raw(1);
    append(raw, {"Linux OSWbb v8.1.2 dbhost01", "SNAP_INTERVAL 30", "CPU_CORES 4", "VCPUS 8",
                 "OSWBB_ARCHIVE_DEST /u01/oswbb/archive", "zzz ***Mon Jun 6 10:00:01 CDT 2016",
                 "SNAP_INTERVAL 60"});
    OswHeader h;
    read_osw_header(raw, 1, h);
    EXPECT_EQ(h.platform, "Linux");
    EXPECT_EQ(h.version, "v8.1.2");
    EXPECT_EQ(h.host, "dbhost01");
    EXPECT_EQ(h.interval, "30"); // not the line after the snapshot marker
    EXPECT_EQ(h.cores, "4");
    EXPECT_EQ(h.processors, "8");
    EXPECT_EQ(h.archive, "/u01/oswbb/archive");
    EXPECT_EQ(
        osw_header_text(h),
        "Linux \u00b7 OSWbb v8.1.2 \u00b7 host dbhost01 \u00b7 a snapshot every 30 s \u00b7 4 "
        "cores \u00b7 8 processors \u00b7 archive /u01/oswbb/archive");

    // A second file of another host and interval: both are told.
    const int second = raw.RowCount() - 1;
    append(raw, {"AIX OSWbb v7.3.3 aixhost", "SNAP_INTERVAL 30", "zzz ***"});
    read_osw_header(raw, second, h);
    EXPECT_EQ(h.platform, "Linux, AIX");
    EXPECT_EQ(h.host, "dbhost01, aixhost");
    EXPECT_EQ(h.interval, "30");
}

TEST(OswHeader, AFileWithoutHeaderSaysNothing) {
    StringTable raw(1);
    append(raw, {"zzz ***Mon Jun 6 10:00:01 CDT 2016", "Linux OSWbb v8.1.2 late",
                 "SNAP_INTERVALS 30", "CPU_CORES"});
    OswHeader h;
    read_osw_header(raw, 1, h);
    EXPECT_TRUE(h.empty());
    EXPECT_EQ(osw_header_text(h), "");
    // Lines that only look like facts are no facts.
    StringTable odd(1);
    append(odd, {"SNAP_INTERVALS 30", "CPU_CORES", "VCPUS\t16"});
    read_osw_header(odd, 1, h);
    EXPECT_EQ(h.interval, "");
    EXPECT_EQ(h.cores, "");
    EXPECT_EQ(h.processors, "16");
}
