#pragma once

// Touch counts: per key, the sum of a metric's values and the number of its
// occurrences, one row per key in the order the keys first occurred.

#include "core/hash.h"
#include "core/string_table.h"
#include "trace/cuts.h"
#include "trace/scan.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

// touch_grid1 or touch_grid2 with a hash index from key to row, so a line's
// update costs the same however many keys the table holds.
//
// Sums that stay whole numbers below 1E15 are kept as numbers and written as
// text only by flush(): their text round trip is exact, so the table ends
// with the texts a cell-by-cell update would have left, without formatting
// and parsing two numbers per line. Any other sum is written at once and
// read back from its text at the next update, as the cell-by-cell update
// does. Call flush() before anyone reads the table, on success and on error.
class TouchTable {
public:
    // Indexes the data rows the open table already holds.
    explicit TouchTable(StringTable& table);

    // Adds one occurrence: a new key gets a row (key, value as cut, "1"); a
    // known key has the value added to its Time and 1 to its Count. Throws
    // "'%s' is not a valid floating point value" for a Time or value that is
    // not a number, leaving the row as it was.
    void add(std::string_view key, std::string_view value) { add(key, TextRef(value)); }
    // The same with a value cut from a loaded line: a new row's value cell
    // points to the line's bytes.
    void add(std::string_view key, const TextRef& value);

    void flush();

private:
    // A number column of one row: known numbers are kept here, the others
    // are read from the cell's text when next needed.
    struct Number {
        double value = 0;
        bool known = false;
        bool pending = false; // known but not yet written to the cell
    };
    // One key: its row and numbers, followed by the key's bytes. A lookup
    // that finds a key reads one place in memory after the index, where a
    // list of texts, the text and a list of rows would be three.
    struct Entry {
        int row = 0;
        std::uint32_t size = 0; // of the key
        Number time, count;
        bool listed = false; // in pending_
        const char* key() const { return reinterpret_cast<const char*>(this + 1); }
    };
    // Entries live in chunks of 8-byte words that never move, found by
    // chunk and word: (chunk << kChunkShift) | word.
    static constexpr int kChunkShift = 17;

    Entry& entry(std::uint32_t at) {
        return *reinterpret_cast<Entry*>(chunks_[at >> kChunkShift].get() +
                                         (at & ((1u << kChunkShift) - 1)));
    }
    std::uint32_t find(std::string_view key, std::uint64_t hash);
    // Room for the entry of `key`, not yet indexed; its address.
    std::uint32_t make_entry(std::string_view key);
    double read(Number& n, int col, int row);
    void store(Number& n, int col, int row, double value);

    StringTable& table_;
    FlatIndex index_; // key hash -> entry address
    // The entries of the last keys found, by the low bits of their hash: the
    // keys of busy cursors come back again and again, and one found here
    // costs no miss in the index.
    struct Recent {
        std::uint64_t hash = 0;
        std::uint32_t at = FlatIndex::npos;
    };
    static constexpr std::size_t kRecent = 512;
    std::unique_ptr<Recent[]> recent_{new Recent[kRecent]};
    std::vector<std::unique_ptr<std::uint64_t[]>> chunks_;
    std::size_t room_ = 0; // words free at the end of the last chunk
    std::uint32_t keys_ = 0;
    std::vector<std::uint32_t> pending_; // entries with unwritten sums
};

// The wait-event analysis of wait lines: key cursor reference and event
// name, value each matching metric's blank-cut number.
void count_wait_events(LineCuts& line, const LineRules& rules, TouchTable& touch_grid1,
                       std::string& key);

// The wait-event analysis of fetch lines: key cursor reference, fetch
// indicator and "(metric)", value the comma-cut number.
void count_fetch_metrics(LineCuts& line, const LineRules& rules, TouchTable& touch_grid1,
                         std::string& key);

// The block analysis: key cursor reference, event name and "(object part)",
// the object part running from the metric through the blank after it.
void count_blocks(LineCuts& line, const LineRules& rules, TouchTable& touch_grid2,
                  std::string& key);

} // namespace kavro
