#include "core/string_table.h"

#include "core/fast_text.h"
#include "core/hash.h"
#include "core/page_memory.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace kavro {

static_assert(std::endian::native == std::endian::little,
              "an inline cell text sits in the low bytes of its record, the tag in the top byte");

namespace {
constexpr std::size_t kMaxChunk = std::size_t(16) << 20;
// Compact once the dead bytes outweigh the live ones by this margin.
constexpr std::size_t kCompactSlack = std::size_t(8) << 20;

constexpr std::size_t kInline = 7;
constexpr std::uint64_t kRef = std::uint64_t(1) << 63;
constexpr int kKindShift = 61;
constexpr std::uint64_t kArena = 0, kLong = 1, kShared = 2, kForeign = 3;
constexpr int kLenBits = 18, kOffBits = 26, kChunkBits = 17;
constexpr std::uint64_t kLenMask = (std::uint64_t(1) << kLenBits) - 1;
constexpr std::uint64_t kOffMask = (std::uint64_t(1) << kOffBits) - 1;
constexpr std::uint64_t kChunkMask = (std::uint64_t(1) << kChunkBits) - 1;
// Longer texts of a shared column are not what sharing is for; they go to
// the arena like any other.
constexpr std::size_t kMaxShared = 256;

// The loader reads blocks of this size into chunks of kLoadChunk bytes.
constexpr std::size_t kLoadBlock = std::size_t(4) << 20;
constexpr std::size_t kLoadChunk = std::size_t(32) << 20;

std::uint64_t kind_of(std::uint64_t v) {
    return (v >> kKindShift) & 3;
}

// A reference record of kind arena or foreign, when the place fits it.
bool fits_record(std::uint64_t chunk, std::uint64_t off, std::uint64_t len) {
    return chunk <= kChunkMask && off <= kOffMask && len <= kLenMask;
}
std::uint64_t place_record(std::uint64_t kind, std::uint64_t chunk, std::uint64_t off,
                           std::uint64_t len) {
    return kRef | kind << kKindShift | chunk << (kLenBits + kOffBits) | off << kLenBits | len;
}
std::uint32_t record_chunk(std::uint64_t v) {
    return static_cast<std::uint32_t>((v >> (kLenBits + kOffBits)) & kChunkMask);
}
std::size_t record_off(std::uint64_t v) {
    return static_cast<std::size_t>((v >> kLenBits) & kOffMask);
}
} // namespace

// The chunks of one table's out-of-line texts. Shared by the tables whose
// cells point into them; the last owner gives the chunks back.
class TextStore : public std::enable_shared_from_this<TextStore> {
public:
    struct Chunk {
        char* data = nullptr;
        std::size_t size = 0;
        std::size_t used = 0;
    };
    TextStore() = default;
    TextStore(const TextStore&) = delete;
    TextStore& operator=(const TextStore&) = delete;
    ~TextStore() {
        for (const Chunk& c : chunks) page_memory::give_back(c.data, c.size);
    }
    // A chunk of at least `bytes`, listed at the end. When either step
    // fails the store is as it was, apart from spare capacity.
    Chunk& add_chunk(std::size_t bytes) {
        if (chunks.size() >= std::numeric_limits<std::uint32_t>::max())
            throw std::length_error("table arena full");
        room_for_one(chunks);
        Chunk c;
        c.size = bytes;
        c.data = page_memory::take(c.size);
        chunks.push_back(c);
        return chunks.back();
    }
    const char* at(std::uint32_t chunk, std::size_t off) const { return chunks[chunk].data + off; }

    std::vector<Chunk> chunks;
};

// The texts of a table's shared columns, each kept once. The text written
// last is compared first, without a hash (an archive's snapshot time comes
// on each of its rows); the ids of the texts written before it are
// remembered by their hash: a result column writes the few texts of one
// cursor again and again, and a text found there costs no miss in the
// pool's index.
class SharedTexts {
public:
    std::uint32_t intern(std::string_view text) {
        if (last_ != TextPool::npos && pool_.text(last_) == text) return last_;
        const std::uint64_t hash = hash_text(text);
        Recent& recent = recent_[hash & (kRecent - 1)];
        if (recent.hash == hash && recent.id != TextPool::npos && pool_.text(recent.id) == text)
            return last_ = recent.id;
        const std::uint32_t id = pool_.intern(text, hash);
        recent = {hash, id};
        return last_ = id;
    }
    std::string_view text(std::uint32_t id) const { return pool_.text(id); }
    void clear() {
        pool_.clear();
        last_ = TextPool::npos;
        std::fill(std::begin(recent_), std::end(recent_), Recent{});
    }
    std::size_t bytes() const { return pool_.bytes() + sizeof recent_; }

private:
    struct Recent {
        std::uint64_t hash = 0;
        std::uint32_t id = TextPool::npos;
    };
    static constexpr std::size_t kRecent = 256;
    TextPool pool_;
    std::uint32_t last_ = TextPool::npos;
    Recent recent_[kRecent];
};

void StringTable::BlockFree::operator()(CellRec* block) const {
    if (bytes == 0)
        delete[] block;
    else
        page_memory::give_back(reinterpret_cast<char*>(block), bytes);
}

StringTable::StringTable(int col_count) : cols_(col_count < 1 ? 1 : col_count) {
    SetRowCount(2);
}

StringTable::StringTable(StringTable&&) noexcept = default;
StringTable& StringTable::operator=(StringTable&&) noexcept = default;
StringTable::~StringTable() = default;

void StringTable::ensure_rows(int rows) {
    // The first block grows by doubling, from a few rows up to kBlockRows,
    // so an empty or small table holds records for about the rows it has
    // rather than a block of kBlockRows; past that, whole blocks are added.
    // Records hold no pointers to one another, so a grown first block is a
    // plain copy.
    if (allocated_rows_ < rows && allocated_rows_ < kBlockRows) {
        int want = std::max(allocated_rows_ * 2, kFirstBlockRows);
        while (want < rows && want < kBlockRows) want *= 2;
        want = std::min(want, kBlockRows);
        // Made and filled before anything changes, so a failed allocation
        // leaves the table as it was.
        Block block = want < kBlockRows ? small_block(want) : full_block();
        if (blocks_.empty()) {
            blocks_.push_back(std::move(block));
        } else {
            std::copy_n(blocks_.front().get(), static_cast<std::size_t>(allocated_rows_) * cols_,
                        block.get());
            blocks_.front() = std::move(block);
        }
        allocated_rows_ = want;
    }
    while (allocated_rows_ < rows) {
        // Owned before the list grows, so a list that cannot grow frees it.
        room_for_one(blocks_);
        blocks_.push_back(full_block());
        allocated_rows_ += kBlockRows;
    }
}

StringTable::Block StringTable::small_block(int rows) const {
    return Block(new CellRec[static_cast<std::size_t>(rows) * cols_](), BlockFree{});
}

StringTable::Block StringTable::full_block() const {
    std::size_t bytes = sizeof(CellRec) * kBlockRows * static_cast<std::size_t>(cols_);
    // Zero records are empty cells; CellRec is a plain 64-bit word.
    char* raw = page_memory::take_zeroed(bytes);
    return Block(reinterpret_cast<CellRec*>(raw), BlockFree{bytes});
}

std::size_t StringTable::arena_bytes() const {
    std::size_t n = 0;
    if (arena_.store)
        for (const auto& c : arena_.store->chunks) n += c.size;
    n += longs_.capacity() * sizeof(LongText);
    if (shared_) n += shared_->bytes();
    return n + static_cast<std::size_t>(allocated_rows_) * cols_ * sizeof(CellRec);
}

std::string_view StringTable::text_of(const CellRec& c) const {
    const std::uint64_t v = c.v;
    const auto tag = static_cast<std::size_t>(v >> 56);
    if (tag <= kInline) return std::string_view(reinterpret_cast<const char*>(&c.v), tag);
    switch (kind_of(v)) {
    case kArena:
        return std::string_view(arena_.store->at(record_chunk(v), record_off(v)), v & kLenMask);
    case kLong: {
        const LongText& t = longs_[static_cast<std::uint32_t>(v)];
        return std::string_view(arena_.store->at(t.chunk, t.off), t.len);
    }
    case kShared:
        return shared_->text(static_cast<std::uint32_t>(v));
    default:
        return std::string_view(foreign_->at(record_chunk(v), record_off(v)), v & kLenMask);
    }
}

StringTable::CellRec StringTable::reference(std::vector<LongText>& longs, std::uint32_t chunk,
                                            std::size_t off, std::size_t len) {
    CellRec c;
    if (fits_record(chunk, off, len)) {
        c.v = place_record(kArena, chunk, off, len);
        return c;
    }
    if (longs.size() >= std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("too many long texts in one table");
    longs.push_back({chunk, off, len});
    c.v = kRef | kLong << kKindShift | (longs.size() - 1);
    return c;
}

void StringTable::release(CellRec& c) {
    const std::uint64_t v = c.v;
    c.v = 0;
    if (!(v & kRef)) return;
    switch (kind_of(v)) {
    case kArena:
        live_bytes_ -= v & kLenMask;
        break;
    case kLong:
        live_bytes_ -= longs_[static_cast<std::uint32_t>(v)].len;
        break;
    case kShared:
        if (--shared_refs_ == 0) shared_->clear();
        break;
    default:
        // The other table's bytes are let go with the last cell showing them.
        if (--foreign_refs_ == 0) foreign_.reset();
        break;
    }
}

char* StringTable::Arena::allocate(std::size_t n, std::uint32_t& chunk, std::size_t& off) {
    if (!store) store = std::make_shared<TextStore>();
    std::vector<TextStore::Chunk>& chunks = store->chunks;
    if (n > next_size / 2) {
        // A long text gets a chunk to itself, so the general chunk in use
        // keeps filling with the small ones.
        TextStore::Chunk& ch = store->add_chunk(n);
        ch.used = n;
        used += n;
        chunk = static_cast<std::uint32_t>(chunks.size() - 1);
        off = 0;
        return ch.data;
    }
    if (current < 0 || chunks[static_cast<std::size_t>(current)].size -
                               chunks[static_cast<std::size_t>(current)].used <
                           n) {
        store->add_chunk(next_size);
        current = static_cast<int>(chunks.size() - 1);
        next_size = std::min(next_size * 2, kMaxChunk);
    }
    TextStore::Chunk& ch = chunks[static_cast<std::size_t>(current)];
    chunk = static_cast<std::uint32_t>(current);
    off = ch.used;
    ch.used += n;
    used += n;
    return ch.data + off;
}

void StringTable::store(int col, CellRec& c, std::string_view text) {
    const std::size_t n = text.size();
    if (n <= kInline) {
        // Built aside first: the text may be the cell's own.
        std::uint64_t v = 0;
        if (n > 0) {
            std::memcpy(&v, text.data(), n);
            v |= std::uint64_t(n) << 56;
        }
        release(c);
        c.v = v;
        return;
    }
    if (n <= kMaxShared && shared_column(col)) {
        if (!shared_) shared_ = std::make_unique<SharedTexts>();
        const std::uint32_t id = shared_->intern(text);
        // Counted before the old text is let go, so that letting go of the
        // column's last shared text does not empty the pool just used.
        ++shared_refs_;
        release(c);
        c.v = kRef | kShared << kKindShift | id;
        return;
    }
    const std::uint64_t v = c.v;
    if ((v & kRef) && arena_.sole_owner()) {
        // Overwrite in place when the new text fits where the old one is;
        // the source may overlap the cell itself. Not while another table
        // points into these bytes.
        if (kind_of(v) == kArena && n <= (v & kLenMask)) {
            char* at = const_cast<char*>(arena_.store->at(record_chunk(v), record_off(v)));
            std::memmove(at, text.data(), n);
            live_bytes_ -= (v & kLenMask) - n;
            c.v = (v & ~kLenMask) | n;
            return;
        }
        if (kind_of(v) == kLong) {
            LongText& t = longs_[static_cast<std::uint32_t>(v)];
            if (n <= t.len) {
                std::memmove(const_cast<char*>(arena_.store->at(t.chunk, t.off)), text.data(), n);
                live_bytes_ -= t.len - n;
                t.len = n;
                return;
            }
        }
    }
    std::uint32_t chunk = 0;
    std::size_t off = 0;
    // Allocation never moves existing chunks, so `text` stays readable even
    // when it points into this table.
    char* dst = arena_.allocate(n, chunk, off);
    std::memcpy(dst, text.data(), n);
    const CellRec fresh = reference(longs_, chunk, off, n);
    release(c);
    c = fresh;
    live_bytes_ += n;
}

void StringTable::store(int col, CellRec& c, const TextRef& text) {
    const std::size_t n = text.text_.size();
    // Short texts sit in the record, shared ones in the pool; a text of this
    // table's own chunks is copied, since its bytes may be overwritten in
    // place.
    if (n <= kInline || (n <= kMaxShared && shared_column(col)) || !text.store_ ||
        text.store_ == arena_.store.get() || !fits_record(text.chunk_, text.off_, n)) {
        store(col, c, text.text_);
        return;
    }
    if (text.store_ != foreign_.get()) {
        // One other table at a time: while cells still point into another
        // one, the text is copied.
        if (foreign_refs_ > 0) {
            store(col, c, text.text_);
            return;
        }
        foreign_ = text.store_->shared_from_this();
    }
    // Counted first, so that letting go of the cell's old text, the last
    // one into the same table, keeps the store.
    ++foreign_refs_;
    release(c);
    c.v = place_record(kForeign, text.chunk_, text.off_, n);
}

void StringTable::maybe_compact() {
    if (live_bytes_ == 0 && arena_.store) {
        arena_ = Arena{};
        longs_.clear();
        return;
    }
    if (arena_.used > 2 * live_bytes_ + kCompactSlack) compact();
}

namespace {
// The kinds whose bytes lie in the table's own arena.
bool owned_kind(std::uint64_t v) {
    return kind_of(v) == kArena || kind_of(v) == kLong;
}
} // namespace

void StringTable::compact() {
    // The texts are copied into a fresh arena and the cells learn their new
    // places only once every copy is made: when memory runs out part way,
    // the table is left exactly as it was.
    Arena fresh;
    std::vector<LongText> fresh_longs;
    std::vector<std::uint64_t> moved;
    std::size_t refs = 0;
    for (int r = 0; r < rows_; ++r)
        for (int col = 0; col < cols_; ++col) {
            const std::uint64_t v = rec(col, r).v;
            if ((v & kRef) && owned_kind(v)) ++refs;
        }
    moved.reserve(refs);
    for (int r = 0; r < rows_; ++r) {
        for (int col = 0; col < cols_; ++col) {
            const std::uint64_t v = rec(col, r).v;
            if (!(v & kRef) || !owned_kind(v)) continue;
            const std::string_view text = text_of(rec(col, r));
            std::uint32_t chunk = 0;
            std::size_t off = 0;
            char* dst = fresh.allocate(text.size(), chunk, off);
            std::memcpy(dst, text.data(), text.size());
            moved.push_back(reference(fresh_longs, chunk, off, text.size()).v);
        }
    }
    std::size_t i = 0;
    for (int r = 0; r < rows_; ++r) {
        for (int col = 0; col < cols_; ++col) {
            CellRec& c = rec(col, r);
            if ((c.v & kRef) && owned_kind(c.v)) c.v = moved[i++];
        }
    }
    arena_ = std::move(fresh);
    longs_ = std::move(fresh_longs);
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
    return text_of(rec(col, row));
}

void StringTable::SetCell(int col, int row, std::string_view text) {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return;
    ++revision_;
    store(col, rec(col, row), text);
}

bool StringTable::TextKey(int col, int row, std::uint64_t& key) const {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return false;
    // An inline record is its text; a shared one names its text in the
    // table's one pool, where each text is kept once. The two never meet:
    // only the second has the top bit set.
    const std::uint64_t v = rec(col, row).v;
    if ((v & kRef) && kind_of(v) != kShared) return false;
    key = v;
    return true;
}

TextRef StringTable::CellRef(int col, int row) const {
    TextRef r;
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return r;
    const std::uint64_t v = rec(col, row).v;
    r.text_ = text_of(rec(col, row));
    if (!(v & kRef)) return r;
    switch (kind_of(v)) {
    case kArena:
    case kForeign:
        r.store_ = kind_of(v) == kArena ? arena_.store.get() : foreign_.get();
        r.chunk_ = record_chunk(v);
        r.off_ = record_off(v);
        break;
    case kLong: {
        const LongText& t = longs_[static_cast<std::uint32_t>(v)];
        r.store_ = arena_.store.get();
        r.chunk_ = t.chunk;
        r.off_ = t.off;
        break;
    }
    default:
        break;
    }
    return r;
}

void StringTable::SetCellRef(int col, int row, const TextRef& text) {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return;
    ++revision_;
    store(col, rec(col, row), text);
}

void StringTable::SetSlotCell(int col, std::string_view text) {
    SetCell(col, rows_ - 1, text);
}

void StringTable::SetSlotCellRef(int col, const TextRef& text) {
    SetCellRef(col, rows_ - 1, text);
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
    // The next slot first: when there is no memory for it, the slot is left
    // as it was rather than holding a line that never became a row.
    ensure_rows(rows_ + 1);
    store(0, rec(0, rows_ - 1), text);
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
    // Only the titles are left. The arena is made anew around them, so the
    // texts of the rows are given back now (the walk is over two rows),
    // not once the dead bytes pass the compaction slack: a table loaded and
    // reset over and over would keep up to that much. Making the new arena
    // may fail for want of memory; the table is then as it was, and the
    // reset still done.
    if (arena_.used > live_bytes_) {
        try {
            compact();
        } catch (const std::bad_alloc&) {
        }
    }
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

void StringTable::intern_column(int col) {
    if (col < 0 || col >= cols_) return;
    shared_cols_.resize(static_cast<std::size_t>(cols_), 0);
    shared_cols_[static_cast<std::size_t>(col)] = 1;
}

StringTable::LineLoader::LineLoader(StringTable& table) : t_(table) {}

std::span<char> StringTable::LineLoader::space(std::size_t want) {
    if (want == 0) want = kLoadBlock;
    if (chunk_ >= 0) {
        TextStore::Chunk& ch = t_.arena_.store->chunks[static_cast<std::size_t>(chunk_)];
        if (ch.size - end_ >= want) return {ch.data + end_, ch.size - end_};
    }
    // A fresh chunk, the unfinished line moved to its start so that every
    // line stays whole in one chunk.
    const std::size_t pending = end_ - begin_;
    if (pending > std::numeric_limits<std::size_t>::max() / 4 - want)
        throw std::length_error("line too long");
    // A caller that asks for less than a block knows the input is small (a
    // file of that size): its chunk is no bigger than the ask, so a small
    // file does not take a chunk of kLoadChunk bytes.
    const std::size_t size = std::max(want < kLoadBlock ? want : kLoadChunk, 2 * pending + want);
    Arena& arena = t_.arena_;
    if (!arena.store) arena.store = std::make_shared<TextStore>();
    // The unfinished line is read from the old chunk before the new one is
    // listed, which may move the list.
    const char* rest =
        chunk_ >= 0 ? arena.store->at(static_cast<std::uint32_t>(chunk_), begin_) : nullptr;
    TextStore::Chunk fresh_chunk;
    fresh_chunk.size = size;
    fresh_chunk.data = page_memory::take(fresh_chunk.size);
    if (pending > 0) std::memcpy(fresh_chunk.data, rest, pending);
    std::vector<TextStore::Chunk>& chunks = arena.store->chunks;
    try {
        if (chunks.size() >= std::numeric_limits<std::uint32_t>::max())
            throw std::length_error("table arena full");
        room_for_one(chunks);
    } catch (...) {
        page_memory::give_back(fresh_chunk.data, fresh_chunk.size);
        throw;
    }
    chunks.push_back(fresh_chunk);
    chunk_ = static_cast<int>(chunks.size() - 1);
    begin_ = 0;
    end_ = pending;
    TextStore::Chunk& fresh = chunks.back();
    return {fresh.data + end_, fresh.size - end_};
}

std::size_t StringTable::LineLoader::append_lines(char* line, char* from, char* stop, bool cr,
                                                  bool last) {
    // The counts are kept here and written to the table before anything
    // that can throw, so the table is whole whenever the loader is left;
    // kept in registers, they cost nothing per line.
    StringTable& t = t_;
    const auto chunk = static_cast<std::uint32_t>(chunk_);
    char* const base = t.arena_.store->chunks[static_cast<std::size_t>(chunk_)].data;
    int rows = t.rows_;
    std::size_t live = 0, used = 0, lines = 0;
    const auto settle = [&] {
        t.rows_ = rows;
        t.live_bytes_ += live;
        t.arena_.used += used;
        ++t.revision_;
        live = used = 0;
    };
    for (;;) {
        char* nl =
            static_cast<char*>(std::memchr(from, '\n', static_cast<std::size_t>(stop - from)));
        char* next;
        if (nl) {
            next = nl + 1;
        } else {
            if (!last || line == stop) break;
            nl = next = stop;
        }
        std::size_t len = static_cast<std::size_t>(nl - line);
        if (cr) len = drop_carriage_returns(line, len);
        if (rows >= t.allocated_rows_) {
            settle();
            if (rows == std::numeric_limits<int>::max()) throw std::length_error("table full");
            t.ensure_rows(rows + 1);
        }
        CellRec& c = t.rec(0, rows - 1);
        if (c.v != 0) t.release(c);
        const auto off = static_cast<std::size_t>(line - base);
        if (len == 0)
            c.v = 0;
        else if (fits_record(chunk, off, len))
            c.v = place_record(kArena, chunk, off, len);
        else {
            settle();
            c = reference(t.longs_, chunk, off, len);
        }
        live += len;
        used += static_cast<std::size_t>(next - line);
        ++rows;
        ++lines;
        line = from = next;
        if (nl == stop) break;
    }
    settle();
    begin_ = static_cast<std::size_t>(line - base);
    return lines;
}

std::size_t StringTable::LineLoader::commit(std::size_t n) {
    if (stopped_ || n == 0 || chunk_ < 0) return 0;
    TextStore::Chunk& ch = t_.arena_.store->chunks[static_cast<std::size_t>(chunk_)];
    char* base = ch.data;
    char* fresh = base + end_;
    if (const std::size_t kept = before_end_of_file(fresh, n); kept < n) {
        n = kept;
        stopped_ = true;
    }
    char* const stop = fresh + n;
    // One look for a carriage return over the whole block: files with Unix
    // line ends then skip the look per line.
    const bool cr = pending_cr_ || std::memchr(fresh, '\r', n) != nullptr;
    // The unfinished line holds no line feed, so the search starts at the
    // fresh bytes.
    const std::size_t lines = append_lines(base + begin_, fresh, stop, cr, false);
    end_ = static_cast<std::size_t>(stop - base);
    ch.used = begin_;
    const char* rest = base + begin_;
    pending_cr_ = cr && std::memchr(rest, '\r', static_cast<std::size_t>(stop - rest)) != nullptr;
    return lines;
}

bool StringTable::LineLoader::finish() {
    if (chunk_ < 0 || end_ == begin_) return false;
    TextStore::Chunk& ch = t_.arena_.store->chunks[static_cast<std::size_t>(chunk_)];
    char* base = ch.data;
    append_lines(base + begin_, base + begin_, base + end_, pending_cr_, true);
    ch.used = end_;
    pending_cr_ = false;
    return true;
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
