#include "core/string_table.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace kavro {

namespace {
constexpr std::size_t kMaxChunk = std::size_t(16) << 20;
// Compact once the dead bytes outweigh the live ones by this margin.
constexpr std::size_t kCompactSlack = std::size_t(8) << 20;
} // namespace

StringTable::StringTable(int col_count) : cols_(col_count < 1 ? 1 : col_count) {
    SetRowCount(2);
}

StringTable::StringTable(StringTable&&) noexcept = default;
StringTable& StringTable::operator=(StringTable&&) noexcept = default;
StringTable::~StringTable() = default;

StringTable::CellRec& StringTable::rec(int col, int row) {
    return blocks_[static_cast<std::size_t>(row) >> kBlockShift]
                  [static_cast<std::size_t>(row & (kBlockRows - 1)) * cols_ + col];
}

const StringTable::CellRec& StringTable::rec(int col, int row) const {
    return blocks_[static_cast<std::size_t>(row) >> kBlockShift]
                  [static_cast<std::size_t>(row & (kBlockRows - 1)) * cols_ + col];
}

void StringTable::ensure_rows(int rows) {
    while (allocated_rows_ < rows) {
        // Owned before the list grows, so a list that cannot grow frees it.
        std::unique_ptr<CellRec[]> block(
            new CellRec[static_cast<std::size_t>(kBlockRows) * cols_]());
        blocks_.push_back(std::move(block));
        allocated_rows_ += kBlockRows;
    }
}

std::size_t StringTable::arena_bytes() const {
    std::size_t n = 0;
    for (const auto& c : chunks_) n += c.size;
    return n + blocks_.size() * sizeof(CellRec) * kBlockRows * cols_;
}

void StringTable::release(CellRec& c) {
    live_bytes_ -= c.cap;
    c = CellRec{};
}

char* StringTable::allocate(std::size_t n, std::uint32_t& chunk, std::uint32_t& off) {
    if (n > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("text too long for a table cell");
    if (n > next_chunk_size_ / 2) {
        // A long text gets a chunk to itself, so the general chunk in use
        // keeps filling with the small ones.
        Chunk ch;
        ch.data.reset(new char[n]);
        ch.size = n;
        ch.used = n;
        chunks_.push_back(std::move(ch));
        used_bytes_ += n;
        chunk = static_cast<std::uint32_t>(chunks_.size() - 1);
        off = 0;
        return chunks_.back().data.get();
    }
    if (current_ < 0 || chunks_[static_cast<std::size_t>(current_)].size -
                                chunks_[static_cast<std::size_t>(current_)].used <
                            n) {
        Chunk ch;
        ch.data.reset(new char[next_chunk_size_]);
        ch.size = next_chunk_size_;
        chunks_.push_back(std::move(ch));
        current_ = static_cast<int>(chunks_.size() - 1);
        next_chunk_size_ = std::min(next_chunk_size_ * 2, kMaxChunk);
    }
    Chunk& ch = chunks_[static_cast<std::size_t>(current_)];
    chunk = static_cast<std::uint32_t>(current_);
    off = static_cast<std::uint32_t>(ch.used);
    ch.used += n;
    used_bytes_ += n;
    return ch.data.get() + off;
}

void StringTable::store(CellRec& c, std::string_view text, bool slack) {
    if (text.empty()) {
        c.len = 0;
        return;
    }
    if (text.size() <= c.cap) {
        // Overwrite in place; the source may overlap the cell itself.
        std::memmove(chunks_[c.chunk].data.get() + c.off, text.data(), text.size());
        c.len = static_cast<std::uint32_t>(text.size());
        return;
    }
    std::size_t cap = text.size();
    if (slack) cap = std::max<std::size_t>(16, (cap + cap / 2 + 7) & ~std::size_t(7));
    std::uint32_t chunk = 0, off = 0;
    // Allocation never moves existing chunks, so `text` stays readable even
    // when it points into this table.
    char* dst = allocate(cap, chunk, off);
    std::memcpy(dst, text.data(), text.size());
    live_bytes_ -= c.cap;
    c.chunk = chunk;
    c.off = off;
    c.len = static_cast<std::uint32_t>(text.size());
    c.cap = static_cast<std::uint32_t>(cap);
    live_bytes_ += cap;
}

void StringTable::maybe_compact() {
    if (live_bytes_ == 0 && !chunks_.empty()) {
        chunks_.clear();
        current_ = -1;
        used_bytes_ = 0;
        next_chunk_size_ = 4096;
        return;
    }
    if (used_bytes_ > 2 * live_bytes_ + kCompactSlack) compact();
}

void StringTable::compact() {
    // The live texts are copied into fresh chunks placed after the old ones,
    // so that every cell still reads its text when an allocation fails on
    // the way; the old chunks go only once all are copied.
    const std::size_t old_chunks = chunks_.size();
    const std::size_t old_used = used_bytes_;
    current_ = -1;
    next_chunk_size_ = 4096;
    for (int r = 0; r < rows_; ++r) {
        for (int col = 0; col < cols_; ++col) {
            CellRec& c = rec(col, r);
            if (c.cap == 0) continue;
            if (c.len == 0) {
                live_bytes_ -= c.cap;
                c = CellRec{};
                continue;
            }
            std::uint32_t chunk = 0, off = 0;
            char* dst = allocate(c.len, chunk, off);
            std::memcpy(dst, chunks_[c.chunk].data.get() + c.off, c.len);
            live_bytes_ = live_bytes_ - c.cap + c.len;
            c.chunk = chunk;
            c.off = off;
            c.cap = c.len;
        }
    }
    chunks_.erase(chunks_.begin(), chunks_.begin() + static_cast<std::ptrdiff_t>(old_chunks));
    used_bytes_ -= old_used;
    const auto moved = static_cast<std::uint32_t>(old_chunks);
    for (int r = 0; r < rows_; ++r)
        for (int col = 0; col < cols_; ++col)
            if (CellRec& c = rec(col, r); c.cap != 0) c.chunk -= moved;
    if (current_ >= 0) current_ -= static_cast<int>(old_chunks);
}

void StringTable::SetRowCount(int rows) {
    if (rows < 1) rows = 1;
    ++revision_;
    if (rows < rows_) {
        for (int r = rows; r < rows_; ++r)
            for (int c = 0; c < cols_; ++c) release(rec(c, r));
        rows_ = rows;
        // Free whole blocks that lie past the new end.
        const std::size_t keep = (static_cast<std::size_t>(rows) + kBlockRows - 1) >> kBlockShift;
        if (blocks_.size() > keep + 1) {
            blocks_.resize(keep + 1);
            allocated_rows_ = static_cast<int>(blocks_.size()) * kBlockRows;
        }
        maybe_compact();
        return;
    }
    ensure_rows(rows);
    rows_ = rows;
}

std::string_view StringTable::Cell(int col, int row) const {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return {};
    const CellRec& c = rec(col, row);
    if (c.len == 0) return {};
    return std::string_view(chunks_[c.chunk].data.get() + c.off, c.len);
}

void StringTable::SetCell(int col, int row, std::string_view text) {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return;
    ++revision_;
    CellRec& c = rec(col, row);
    store(c, text, c.cap != 0);
}

void StringTable::SetSlotCell(int col, std::string_view text) {
    SetCell(col, rows_ - 1, text);
}

void StringTable::CommitSlot() {
    if (rows_ == std::numeric_limits<int>::max()) throw std::length_error("table full");
    ++revision_;
    ensure_rows(rows_ + 1);
    ++rows_;
    maybe_compact();
}

void StringTable::AppendLine(std::string_view text) {
    if (rows_ == std::numeric_limits<int>::max()) throw std::length_error("table full");
    // Room for the next slot first: out of memory, the table stays as it
    // was instead of keeping the line in a slot it never committed.
    ensure_rows(rows_ + 1);
    CellRec& c = rec(0, rows_ - 1);
    store(c, text, false);
    ++rows_;
    ++revision_;
}

void StringTable::AppendRow(std::initializer_list<std::string_view> texts) {
    int col = 0;
    for (auto t : texts) {
        if (col >= cols_) break;
        SetSlotCell(col++, t);
    }
    CommitSlot();
}

void StringTable::AppendRow(const std::vector<std::string>& texts) {
    int col = 0;
    for (const auto& t : texts) {
        if (col >= cols_) break;
        SetSlotCell(col++, t);
    }
    CommitSlot();
}

void StringTable::ResetTable() {
    SetRowCount(2);
    ClearRow(1);
}

void StringTable::ClearRow(int row) {
    if (row < 0 || row >= rows_) return;
    ++revision_;
    for (int c = 0; c < cols_; ++c) release(rec(c, row));
    maybe_compact();
}

void StringTable::TrimTable() {
    if (rows_ == 2) return;
    int rows = rows_;
    while (rows > 1 && Cell(0, rows - 1).empty()) --rows;
    if (rows != rows_) SetRowCount(rows);
}

std::vector<std::string> StringTable::RowSnapshot(int row) const {
    std::vector<std::string> out;
    RowSnapshot(row, out);
    return out;
}

void StringTable::RowSnapshot(int row, std::vector<std::string>& out) const {
    out.resize(static_cast<std::size_t>(cols_));
    for (int c = 0; c < cols_; ++c) out[static_cast<std::size_t>(c)].assign(Cell(c, row));
}

void StringTable::AssignRow(int row, const std::vector<std::string>& texts) {
    if (row < 0 || row >= rows_) return;
    const int n = std::min(cols_, static_cast<int>(texts.size()));
    for (int c = 0; c < n; ++c) SetCell(c, row, texts[static_cast<std::size_t>(c)]);
    maybe_compact();
}

void StringTable::SwapRows(int i, int j) {
    if (i == j || i < 0 || j < 0 || i >= rows_ || j >= rows_) return;
    ++revision_;
    for (int c = 0; c < cols_; ++c) std::swap(rec(c, i), rec(c, j));
}

void CopyRow(const StringTable& source, int source_row, StringTable& target, int target_row) {
    // Through a snapshot, so a copy within one table never reads a cell it
    // has just overwritten.
    static thread_local std::vector<std::string> scratch;
    source.RowSnapshot(source_row, scratch);
    target.AssignRow(target_row, scratch);
}

void AppendCopyOfRow(const StringTable& source, int source_row, StringTable& target) {
    CopyRow(source, source_row, target, target.RowCount() - 1);
    target.CommitSlot();
}

} // namespace kavro
