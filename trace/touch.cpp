#include "trace/touch.h"

#include "core/convert.h"
#include "core/text.h"
#include "trace/cuts.h"

#include <cmath>

namespace kavro {

namespace {
// A whole number that FloatToStr writes digit for digit, so reading its
// text back gives the same number.
bool exact_as_text(double v) {
    return std::fabs(v) < 1e15 && v == std::trunc(v);
}
} // namespace

TouchTable::TouchTable(StringTable& table) : table_(table) {
    for (int r = 1; r < table_.RowCount() - 1; ++r) {
        const std::string_view key = table_.Cell(touch_grid_col::Event, r);
        const std::uint64_t hash = hash_text(key);
        // The first row of a key is its row, as a lookup would find it.
        if (keys_.find(key, hash) != TextPool::npos) continue;
        room_for_one(rows_);
        keys_.add(key, hash);
        Row row;
        row.row = r;
        rows_.push_back(row);
    }
}

double TouchTable::read(Number& n, int col, int row) {
    if (!n.known) {
        n.value = StrToFloat(table_.Cell(col, row));
        n.known = true;
    }
    return n.value;
}

void TouchTable::store(Number& n, int col, int row, double value) {
    if (exact_as_text(value)) {
        n.value = value;
        n.pending = true;
        return;
    }
    // Written now and read back from its text next time, so the rounding to
    // 15 digits (or an overflow to INF) acts as it does in the cell.
    table_.SetCell(col, row, FloatToStr(value));
    n.known = false;
    n.pending = false;
}

void TouchTable::add(std::string_view key, const TextRef& value_ref) {
    const std::string_view value = value_ref.text();
    const std::uint64_t hash = hash_text(key);
    const std::uint32_t id = keys_.find(key, hash);
    if (id == TextPool::npos) {
        Row r;
        r.row = table_.RowCount() - 1;
        r.count.value = 1;
        r.count.known = true;
        // Room first, so that the row, once in the table, is indexed too.
        room_for_one(rows_);
        table_.SetSlotCell(touch_grid_col::Event, key);
        table_.SetSlotCellRef(touch_grid_col::Time, value_ref);
        table_.SetSlotCell(touch_grid_col::Count, "1");
        table_.CommitSlot();
        keys_.add(key, hash);
        rows_.push_back(r);
        return;
    }
    Row& r = rows_[id];
    if (!r.listed) {
        pending_.push_back(id);
        r.listed = true;
    }
    // The row's Time is read before the value, so a row and a value that are
    // both not numbers report the row's text.
    const double time = read(r.time, touch_grid_col::Time, r.row);
    store(r.time, touch_grid_col::Time, r.row, time + StrToFloat(value));
    store(r.count, touch_grid_col::Count, r.row, read(r.count, touch_grid_col::Count, r.row) + 1);
}

void TouchTable::flush() {
    for (const std::uint32_t id : pending_) {
        Row& r = rows_[id];
        if (r.time.pending) table_.SetCell(touch_grid_col::Time, r.row, FloatToStr(r.time.value));
        if (r.count.pending)
            table_.SetCell(touch_grid_col::Count, r.row, FloatToStr(r.count.value));
        r.time.pending = r.count.pending = r.listed = false;
    }
    pending_.clear();
}

void count_wait_events(LineCuts& line, const LineRules& rules, TouchTable& touch_grid1,
                       std::string& key) {
    if (!line.passes_indicator(rules.indicator) || !line.passes_identifier(rules.identifier))
        return;
    bool keyed = false;
    for (const std::string& metric : rules.metrics) {
        const int p = line.rule_position(metric);
        if (p == 0) continue;
        // One key for the line: every matching metric adds into the row of
        // its event.
        if (!keyed) {
            key.assign(line.cursor_reference());
            key.append(line.event_name(rules.identifier, rules.container));
            keyed = true;
        }
        touch_grid1.add(key, line.ref(rule_value(line.text(), p, metric, " ")));
    }
}

void count_fetch_metrics(LineCuts& line, const LineRules& rules, TouchTable& touch_grid1,
                         std::string& key) {
    if (!line.passes_indicator(rules.indicator)) return;
    for (const std::string& metric : rules.metrics) {
        const int p = line.rule_position(metric);
        if (p == 0) continue;
        key.assign(line.cursor_reference());
        key.append(rules.indicator);
        key.push_back('(');
        key.append(metric);
        key.push_back(')');
        touch_grid1.add(key, line.ref(rule_value(line.text(), p, metric, ",")));
    }
}

void count_blocks(LineCuts& line, const LineRules& rules, TouchTable& touch_grid2,
                  std::string& key) {
    if (!line.passes_indicator(rules.indicator) || !line.passes_identifier(rules.identifier))
        return;
    for (const std::string& metric : rules.metrics) {
        const int p = line.rule_position(metric);
        if (p == 0) continue;
        // From the metric through the blank that ends its value; empty when
        // no blank follows.
        const std::string_view from_metric = Copy(line.text(), p, Length(line.text()));
        const std::string_view object = Copy(from_metric, 1, Pos(" ", from_metric));
        key.assign(line.cursor_reference());
        key.append(line.event_name(rules.identifier, rules.container));
        key.push_back('(');
        key.append(object);
        key.push_back(')');
        touch_grid2.add(key, line.ref(rule_value(line.text(), p, metric, " ")));
    }
}

} // namespace kavro
