#pragma once

// Loading OSWatcher files onto the raw tables of the three OSWatcher pages:
// the names of a page's file field one after another, and whole archives
// for all three pages at once. A set of files is a sequence of loads: each
// file's lines go after those already in the table, as the page's own load
// puts them, and the files of an archive go in OSWatcher's order (the time
// in their names).

#include "osw_archive/osw_files.h"
#include "osw_archive/osw_header.h"

#include <functional>
#include <string>
#include <vector>

namespace kavro {

class StringTable;

// What the Load tab says about the lines loaded: the header facts and the
// files and snapshots behind them.
struct OswLoadInfo {
    OswHeader header;
    int files = 0;
    std::string first_snapshot; // the time of the table's first "zzz" line
    std::string last_snapshot;  // and of its last
    // "3 files · snapshots from Mon Jun 6 09:05:01 EST 2016 to ...".
    std::string text() const;
};

// One page to load onto.
struct OswPageLoad {
    OswKind kind;
    StringTable* raw;
    OswLoadInfo* info;
    // Runs once, just before the first file for the page is loaded (the
    // page's Clear All when an archive is opened); may be empty.
    std::function<void()> before_first;
};

// The Load button of an OSWatcher page: every name of the field (one name,
// or several in double quotes) in turn. A folder or an archive gives its
// files of the page's kind in OSWatcher's order; any other file is loaded
// as it is, compressed or not. Stops at the first error, keeping what was
// loaded before it.
void load_osw_field(const std::string& field, const OswPageLoad& page);

struct OswArchiveSummary {
    std::string archive;     // as named
    std::string description; // "gzip-compressed tar archive", "folder", ...
    struct Page {
        int files = 0;
        std::string first_snapshot;
        std::string last_snapshot;
    } pages[3];      // by OswKind
    int others = 0;  // files that are none of the three
    int skipped = 0; // members not read (paths leading out, links)
    // The summary, a line for each page.
    std::string text() const;
};

// "Open OSWatcher Archive...": every ps, mpstat and netstat file of
// `archive` (a folder, a tar or zip archive, or one OSWatcher file) onto
// its page, each page's files in OSWatcher's order, in one pass over the
// archive. An archive without any of them changes nothing and throws. A
// damaged archive throws after the files read before the damage are in
// place.
OswArchiveSummary load_osw_archive(const std::string& archive,
                                   const std::vector<OswPageLoad>& pages);

// The snapshot time of a "zzz ***<time>" line: the text after the marker.
std::string snapshot_time(std::string_view line);

} // namespace kavro
