#pragma once

// Touch counts: per key, the sum of a metric's values and the number of its
// occurrences, one row per key in the order the keys first occurred.

#include "core/hash.h"
#include "core/string_table.h"
#include "trace/cuts.h"
#include "trace/scan.h"

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
    struct Row {
        int row = 0;
        Number time, count;
        bool listed = false; // in pending_
    };

    double read(Number& n, int col, int row);
    void store(Number& n, int col, int row, double value);

    StringTable& table_;
    // Every key once, numbered in the order of its row; rows_ is parallel
    // to it. An open-addressing index with the texts in chunks: a lookup is
    // one slot and one compare, where a node map chased a pointer per key.
    TextPool keys_;
    std::vector<Row> rows_;
    std::vector<std::uint32_t> pending_; // ids of rows with unwritten sums
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
