#pragma once

// The reading half of the ps analysis: raw lines of osw_grid into process
// records, cut at the positions the ps rules give. Reads osw_grid and the
// rules, writes nothing; the records' texts point into the raw lines or into
// storage of the reader's that lives as long as it does.

#include "config/rules_page.h"
#include "core/fast_text.h"
#include "core/hash.h"
#include "core/string_table.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

// One process line of a snapshot: a row of osw_ps_grid to be.
struct PsRecord {
    int row;                    // the raw row it was cut from
    std::uint32_t time;         // the snapshot time in force, by its place among the reader's times
    std::string_view time_text; // that time ("" before the first snapshot marker)
    std::string_view pid, owner, cpu;
    double cpu_value; // when cpu_is_number
    bool cpu_is_number;
};

struct PsBatch {
    std::vector<PsRecord> records;
    int first = 0, end = 0; // the raw rows read for them, [first, end)
};

class PsReader {
public:
    // Raw rows from 1 to the last row of `raw` (trimmed by the caller).
    PsReader(const StringTable& raw, const TraceRulesPage& rules);

    // The records of the next rows. The rule positions are converted when
    // the first line that needs them comes, so a run whose lines are all
    // excluded never reads them; one that is no whole number throws there.
    bool read(PsBatch& batch);

private:
    // Start and Count of the three fields.
    struct Positions {
        long long user_start, user_count;
        long long proc_start, proc_count;
        long long cpu_start, cpu_count;
    };
    std::string_view cut(std::string_view line, long long start, long long count);

    const StringTable& raw_;
    const TraceRulesPage& rules_;
    MultiFind find_;
    std::optional<Positions> at_;
    // The snapshot times met, and fields with a blank inside, gathered:
    // texts that stay where they are while the records point at them.
    TextPool times_, gathered_;
    std::uint32_t time_ = 0;
    std::string_view time_text_;
    std::string scratch_;
    int next_ = 1;
};

} // namespace kavro
