#include "trace/touch.h"

#include "core/convert.h"
#include "core/text.h"
#include "trace/cuts.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

namespace kavro {

namespace {
// A whole number that FloatToStr writes digit for digit, so reading its
// text back gives the same number.
bool exact_as_text(double v) {
    return std::fabs(v) < 1e15 && v == std::trunc(v);
}
} // namespace

std::uint32_t TouchTable::find(std::string_view key, std::uint64_t hash) {
    const auto same = [&](std::uint32_t at) {
        const Entry& e = entry(at);
        return e.size == key.size() && std::memcmp(e.key(), key.data(), key.size()) == 0;
    };
    Recent& recent = recent_[hash & (kRecent - 1)];
    if (recent.hash == hash && recent.at != FlatIndex::npos && same(recent.at)) return recent.at;
    const std::uint32_t at = index_.find(hash, same);
    if (at != FlatIndex::npos) recent = {hash, at};
    return at;
}

std::uint32_t TouchTable::make_entry(std::string_view key) {
    constexpr std::size_t kWord = sizeof(std::uint64_t);
    constexpr std::size_t kChunkWords = std::size_t(1) << kChunkShift;
    const std::size_t words = (sizeof(Entry) + key.size() + kWord - 1) / kWord;
    if (keys_ == FlatIndex::npos - 1) throw std::length_error("too many keys");
    index_.reserve(keys_ + 1);
    if (words > room_) {
        // A key longer than a chunk gets a chunk of its own.
        if ((chunks_.size() + 1) >> (32 - kChunkShift)) throw std::length_error("too many keys");
        room_for_one(chunks_);
        const std::size_t size = std::max(words, kChunkWords);
        chunks_.emplace_back(new std::uint64_t[size]);
        room_ = words > kChunkWords ? 0 : size - words;
        const auto at = static_cast<std::uint32_t>((chunks_.size() - 1) << kChunkShift);
        new (&entry(at)) Entry;
        return at;
    }
    const std::size_t word = kChunkWords - room_;
    room_ -= words;
    const auto at = static_cast<std::uint32_t>((chunks_.size() - 1) << kChunkShift | word);
    new (&entry(at)) Entry;
    return at;
}

TouchTable::TouchTable(StringTable& table) : table_(table) {
    for (int r = 1; r < table_.RowCount() - 1; ++r) {
        const std::string_view key = table_.Cell(touch_grid_col::Event, r);
        const std::uint64_t hash = hash_text(key);
        // The first row of a key is its row, as a lookup would find it.
        if (find(key, hash) != FlatIndex::npos) continue;
        const std::uint32_t at = make_entry(key);
        Entry& e = entry(at);
        e.row = r;
        e.size = static_cast<std::uint32_t>(key.size());
        std::memcpy(const_cast<char*>(e.key()), key.data(), key.size());
        index_.insert(hash, at);
        ++keys_;
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
    const std::uint32_t found = find(key, hash);
    if (found == FlatIndex::npos) {
        // The entry is made first, so that the row, once in the table, is
        // indexed too.
        const std::uint32_t at = make_entry(key);
        Entry& e = entry(at);
        e.row = table_.RowCount() - 1;
        e.size = static_cast<std::uint32_t>(key.size());
        std::memcpy(const_cast<char*>(e.key()), key.data(), key.size());
        e.count.value = 1;
        e.count.known = true;
        table_.SetSlotCell(touch_grid_col::Event, key);
        table_.SetSlotCellRef(touch_grid_col::Time, value_ref);
        table_.SetSlotCell(touch_grid_col::Count, "1");
        table_.CommitSlot();
        index_.insert(hash, at);
        ++keys_;
        return;
    }
    Entry& e = entry(found);
    if (!e.listed) {
        pending_.push_back(found);
        e.listed = true;
    }
    // The row's Time is read before the value, so a row and a value that are
    // both not numbers report the row's text.
    const double time = read(e.time, touch_grid_col::Time, e.row);
    store(e.time, touch_grid_col::Time, e.row, time + StrToFloat(value));
    store(e.count, touch_grid_col::Count, e.row, read(e.count, touch_grid_col::Count, e.row) + 1);
}

void TouchTable::flush() {
    for (const std::uint32_t at : pending_) {
        Entry& e = entry(at);
        if (e.time.pending) table_.SetCell(touch_grid_col::Time, e.row, FloatToStr(e.time.value));
        if (e.count.pending)
            table_.SetCell(touch_grid_col::Count, e.row, FloatToStr(e.count.value));
        e.time.pending = e.count.pending = e.listed = false;
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
