#pragma once

// The reading half of the mpstat analysis: the raw lines of mpstat_grid into
// records of what the chart is to get, snapshot by snapshot. Reads
// mpstat_grid, writes nothing; the records' labels are kept by the reader.
//
// Two families of layout are read. AIX prints a configuration row with
// "lcpu=", a lower-case "cpu " header and ends each block with " U " and
// "ALL " rows. Linux sysstat and Solaris print no configuration row; their
// header names the "CPU", user and system columns, and the CPU rows are
// found by those columns.

#include "core/fast_fields.h"
#include "core/fast_text.h"
#include "core/hash.h"
#include "core/string_table.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kavro {

struct MpstatRecord {
    enum class Kind : std::uint8_t {
        CpuCount,   // an AIX configuration row: `cpu` CPUs in all
        AixPoint,   // a point for the series numbered `cpu`, which must exist
        ColumnPoint // a point for the CPU numbered `cpu`, its series made when missing
    };
    Kind kind;
    int row; // the raw row it came from
    int cpu;
    double value;           // user plus system time (points)
    std::string_view label; // the snapshot's time label (points)
};

struct MpstatBatch {
    std::vector<MpstatRecord> records;
    int end = 0; // the raw rows read for them end before this one
};

class MpstatReader {
public:
    explicit MpstatReader(const StringTable& raw);

    // The records of the next snapshots. A number that does not convert
    // throws at its row, as it ends the analysis there.
    bool read(MpstatBatch& batch);

private:
    // Where the CPU, user and system figures stand in the rows under a Linux
    // or Solaris header, counted in blank-separated fields.
    struct Columns {
        std::size_t cpu = 0, user = 0, system = 0;
        std::size_t needed = 0; // fields to split off a row to reach all three
    };

    std::string_view row(int r) const;
    int read_snapshot(int r);
    void read_cpu_count(int r, std::string_view text);
    int read_aix_block(int r);
    void read_aix_point(int r, std::string_view text);
    bool read_header(std::string_view text); // a row that holds "CPU"
    int read_column_block(int r);
    void read_column_point(int r, std::string_view cpu_text);
    std::string_view field(std::size_t i) const {
        return i < fields_.size() ? fields_[i] : std::string_view();
    }

    const StringTable& raw_;
    const int last_;
    int next_ = 1;
    std::vector<MpstatRecord>* out_ = nullptr;
    // An AIX CPU row is tested for the marker of the next snapshot and the
    // rows that end its block at once; the rows from a marker to the first
    // CPU row for the marker, the configuration and the headers.
    ByteCounts counts_;
    MultiFind aix_marks_, marker_, config_, aix_header_, column_header_;
    KeyBytes column_keys_;
    TextPool labels_; // the time labels, kept while the records point at them
    std::string_view label_;
    Columns columns_;
    std::vector<std::string_view> fields_;
    FieldSplitter splitter_;
};

} // namespace kavro
