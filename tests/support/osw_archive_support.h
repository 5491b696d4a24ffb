#pragma once

// An OSWatcher archive for the tests: files of the three commands and two
// others, in an order that is not the time order, some compressed in their
// own right, packed in every way Kavro opens.

#include "archives.h"
#include "test_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kavro::testing {

struct OswFile {
    std::string path;    // inside the archive
    std::string content; // as it reads, plain
    Compression packed = Compression::none;
};

// One hour's file of `command` ("ps", "mpstat", "netstat"): the header
// OSWatcher writes, then two snapshots.
inline std::string osw_text(const std::string& command, int hour,
                            const std::string& host = "db01") {
    const std::string h = (hour < 10 ? "0" : "") + std::to_string(hour);
    std::string t = "Linux OSWbb v8.1.2 " + host + "\nSNAP_INTERVAL 30\nCPU_CORES 2\nVCPUS 4\n";
    t += "OSWBB_ARCHIVE_DEST /u01/oswbb/archive\n";
    for (const char* s : {"01", "31"}) {
        t += "zzz ***Mon Jun 6 " + h + ":00:" + s + " CDT 2016\n";
        t += command + " row of " + h + ":" + s + "\r\n";
        t += command + " second row\n";
    }
    return t;
}

// The archive's files, deliberately not in time order.
inline std::vector<OswFile> osw_files() {
    return {
        {"archive/oswps/db01_ps_16.06.06.1100.dat", osw_text("ps", 11)},
        {"archive/oswps/db01_ps_16.06.06.1000.dat.gz", osw_text("ps", 10), Compression::gzip},
        {"archive/oswmpstat/db01_mpstat_16.06.06.1000.dat", osw_text("mpstat", 10)},
        {"archive/oswnetstat/db01_netstat_16.06.06.1100.dat.bz2", osw_text("netstat", 11),
         Compression::bzip2},
        {"archive/oswtop/db01_top_16.06.06.1000.dat", "top - 10:00:01\n"},
        {"archive/oswnetstat/db01_netstat_16.06.06.1000.dat", osw_text("netstat", 10)},
        {"archive/oswps/db01_ps_16.06.06.1200.dat.xz", osw_text("ps", 12), Compression::xz},
        {"archive/README.txt", "OSWatcher archive\n"},
    };
}

inline std::vector<Member> members_of(const std::vector<OswFile>& files) {
    std::vector<Member> m;
    for (const OswFile& f : files) m.push_back({f.path, compress(f.content, f.packed)});
    return m;
}

// The ways an archive comes: a folder, a tar, a tar compressed four ways,
// a zip.
enum class Packed { folder, tar, tar_gz, tar_bz2, tar_xz, tar_zst, zip };
constexpr Packed kPackings[] = {Packed::folder, Packed::tar,     Packed::tar_gz, Packed::tar_bz2,
                                Packed::tar_xz, Packed::tar_zst, Packed::zip};

inline const char* packed_name(Packed p) {
    switch (p) {
    case Packed::folder:
        return "folder";
    case Packed::tar:
        return "tar";
    case Packed::tar_gz:
        return "tar_gz";
    case Packed::tar_bz2:
        return "tar_bz2";
    case Packed::tar_xz:
        return "tar_xz";
    case Packed::tar_zst:
        return "tar_zst";
    case Packed::zip:
        return "zip";
    }
    return "";
}

// Writes the archive under `dir` and returns its path; the file names do
// not say what they hold ("archive.bin"), the content does.
inline std::string write_archive(const TempDir& dir, const std::vector<OswFile>& files, Packed p,
                                 const std::string& name = "archive.bin") {
    if (p == Packed::folder) {
        const auto root = dir.path() / (name + ".d");
        for (const Member& m : members_of(files)) {
            const auto at = root / m.path;
            std::filesystem::create_directories(at.parent_path());
            std::ofstream(at, std::ios::binary) << m.content;
        }
        return root.string();
    }
    const std::vector<Member> members = members_of(files);
    std::string bytes = pack(members, p == Packed::zip ? Packing::zip : Packing::tar);
    const Compression outer = p == Packed::tar_gz    ? Compression::gzip
                              : p == Packed::tar_bz2 ? Compression::bzip2
                              : p == Packed::tar_xz  ? Compression::xz
                              : p == Packed::tar_zst ? Compression::zstd
                                                     : Compression::none;
    return dir.file(name, compress(bytes, outer));
}

// The lines of `command`'s files in time order, as loading them one by one
// gives them.
inline std::vector<std::string> lines_in_time_order(std::vector<OswFile> files,
                                                    const std::string& command) {
    std::vector<std::string> out;
    std::erase_if(files, [&](const OswFile& f) {
        return f.path.find("/osw" + command + "/") == std::string::npos;
    });
    std::sort(files.begin(), files.end(),
              [](const OswFile& a, const OswFile& b) { return a.path < b.path; });
    for (const OswFile& f : files) {
        std::string line;
        for (char c : f.content) {
            if (c == '\r') continue;
            if (c == '\n') {
                out.push_back(line);
                line.clear();
            } else {
                line.push_back(c);
            }
        }
    }
    return out;
}

} // namespace kavro::testing
