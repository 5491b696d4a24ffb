#pragma once

// The lines OSWatcher writes at the top of each file before the first
// snapshot:
//   Linux OSWbb v8.1.2 dbhost01
//   SNAP_INTERVAL 30
//   CPU_CORES 4
//   VCPUS 8
//   OSWBB_ARCHIVE_DEST /u01/oswbb/archive
// They stay in the raw table as every other line; the Load tab shows what
// they say.

#include <string>
#include <string_view>

namespace kavro {

class StringTable;

struct OswHeader {
    std::string platform;   // Linux, AIX, SunOS, HP-UX
    std::string version;    // v8.1.2
    std::string host;       // dbhost01
    std::string interval;   // seconds between snapshots
    std::string cores;      // CPU_CORES
    std::string processors; // VCPUS
    std::string archive;    // OSWBB_ARCHIVE_DEST
    bool empty() const;
};

// Reads the header of the file whose lines start at row `first` of `raw`,
// looking no further than its first snapshot line ("zzz") or a dozen rows.
// Each fact found is added to `into`: a fact that differs from one already
// there (files of two hosts) is kept beside it, "a, b".
void read_osw_header(const StringTable& raw, int first, OswHeader& into);

// One line for the Load tab, "Linux · OSWbb v8.1.2 · host dbhost01 · ...",
// empty when nothing is known.
std::string osw_header_text(const OswHeader& header);

} // namespace kavro
