#pragma once

// StringTable: the one record store of the program. Row 0 holds the column
// titles; while the table is open its last row is the append slot.
//
// Cells are 8-bit texts. Each cell is an 8-byte record: a text of up to 7
// bytes (a number, a metric name) sits in the record itself; a longer one
// lives in a chunked arena that the record points to. A raw table of tens of
// millions of lines thus costs the bytes of its lines and 8 bytes a line,
// and a result table of short numbers little more than its records.
//
// A column can be marked shared (intern_column): its longer texts are kept
// once per distinct text and every cell holding one points to it, for columns
// that repeat a few thousand texts over millions of rows.
//
// A cell can also point into another table's bytes (SetCellRef):
// a result cell cut from a loaded line (a metric value, a line time) refers
// to the line's bytes instead of copying them. The table then holds a share
// of the other table's storage, so the cell reads the same text while the
// other table is changed, cleared or loaded anew, until the cell itself is
// overwritten or cleared. Bytes that another table points into are never
// overwritten in place.
//
// The chunks and row records come from page_memory: big blocks the kernel
// may back with huge pages, reused after a table lets them go.
//
// A text returned by Cell() stays valid until the next write of that cell or
// the next structural change of the same table (CommitSlot, AppendRow,
// AssignRow, CopyRow into it, ResetTable, ClearRow, TrimTable, SetRowCount,
// SwapRows of its row).

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

class StringTable;
class SharedTexts;
class TextStore;

// A text that lies in a table's storage, with where it lies there: a cell's
// text or a piece of one. Writing it into a table (SetCellRef, SetSlotCellRef)
// makes a cell that points to these bytes where it can, and a copy where it
// cannot; the cell reads back the same text either way. Valid as long as a
// string_view from Cell() of the same cell would be.
class TextRef {
public:
    TextRef() = default;
    // A text of no table: written by copy.
    explicit TextRef(std::string_view text) : text_(text) {}

    std::string_view text() const { return text_; }
    // The part of this text that `part` views; `part` must lie within
    // text() (as every cut of it does).
    TextRef piece(std::string_view part) const {
        if (part.empty()) return TextRef();
        TextRef r = *this;
        r.text_ = part;
        r.off_ = off_ + static_cast<std::size_t>(part.data() - text_.data());
        return r;
    }

private:
    friend class StringTable;
    std::string_view text_;
    const TextStore* store_ = nullptr; // null: not in a table's chunks
    std::uint32_t chunk_ = 0;
    std::size_t off_ = 0; // of text_ in the chunk
};

// A live, read-only view of one column: entry i reads cell (column, i) at the
// moment it is read, so rows moved after the view was taken are seen at once.
class ColumnView {
public:
    ColumnView(const StringTable& table, int column) : table_(&table), column_(column) {}
    std::string_view operator[](int row) const;
    int size() const;

private:
    const StringTable* table_;
    int column_;
};

class StringTable {
public:
    explicit StringTable(int col_count = 1);
    StringTable(const StringTable&) = delete;
    StringTable& operator=(const StringTable&) = delete;
    StringTable(StringTable&&) noexcept;
    StringTable& operator=(StringTable&&) noexcept;
    ~StringTable();

    int ColCount() const { return cols_; }
    int RowCount() const { return rows_; }

    // Row-count rule: lowering discards the rows cut off with their texts,
    // raising adds rows of empty cells.
    void SetRowCount(int rows);

    std::string_view Cell(int col, int row) const;
    void SetCell(int col, int row, std::string_view text);
    // The cell's text with where it lies, for pieces of it to be written
    // into other tables as references.
    TextRef CellRef(int col, int row) const;
    // As SetCell(col, row, text.text()), pointing to text's bytes where they
    // lie in another table's chunks (see the top of this file).
    void SetCellRef(int col, int row, const TextRef& text);

    void SetSlotCell(int col, std::string_view text);
    void SetSlotCellRef(int col, const TextRef& text);
    void CommitSlot();
    // SetSlotCell for column 0, 1, ... in order, then CommitSlot.
    void AppendRow(std::initializer_list<std::string_view> texts);
    void AppendRow(const std::vector<std::string>& texts);
    // RowCount := 2 and row 1 emptied; the title row keeps its titles.
    void ResetTable();
    void ClearRow(int row);
    // While RowCount > 1 and cell (0, RowCount-1) is empty, drop the last row;
    // a table of exactly two rows is left as it is.
    void TrimTable();

    std::vector<std::string> RowSnapshot(int row) const;
    // Fills `out` (reusing its storage) with the row's ColCount texts.
    void RowSnapshot(int row, std::vector<std::string>& out) const;
    void AssignRow(int row, const std::vector<std::string>& texts);
    // Exchanges two rows whole. The same as taking row j into a scratch
    // list, copying row i onto row j and assigning the list to row i, but
    // without copying a text. A short text lives in its cell's record, so a
    // text read from either row before the swap is not to be read after it.
    void SwapRows(int i, int j);

    ColumnView GetColumnView(int col) const { return ColumnView(*this, col); }

    // A number that stands for the cell's text within this table, for
    // grouping millions of cells by their text without reading or hashing
    // it: two cells with a key have the same key exactly when their texts
    // are equal. Only a text kept in its record (7 bytes or less) or shared
    // (intern_column) has one; false for any other, whose text is to be
    // compared instead. Valid until the cell or the table changes.
    bool TextKey(int col, int row, std::uint64_t& key) const;

    // Bumped by every change; views refresh only tables whose revision moved.
    std::uint64_t revision() const { return revision_; }
    // Bytes held by the records, the arena and the shared texts, for
    // benchmarks and memory reports.
    std::size_t arena_bytes() const;

    // Appends one row whose column 0 is `text` without the per-cell checks of
    // AppendRow: the loaders' path for millions of lines.
    void AppendLine(std::string_view text);

    // From now on the column keeps each distinct text once: what it shows is
    // unchanged, only the memory it takes. For result columns that repeat a
    // few thousand texts (cursor and event) over millions of rows.
    void intern_column(int col);

    // Appends the lines of a file read straight into the table's arena, so
    // each byte is copied once, from the file into the table. The caller
    // reads raw bytes into space() and hands them over with commit(), which
    // appends one row per completed line, its text in column 0, as
    // AppendLine does. The lines follow the rules of LineReader: a line ends
    // at a line feed, every carriage return is dropped, a byte 26 ends the
    // input, and finish() appends an unfinished last line (a final line break
    // adds no empty line). A line may run across any number of blocks.
    //
    // The table stays whole whenever the loader is left, by an error
    // included: it holds the lines completed so far. Nothing else may change
    // the table while a loader works on it.
    class LineLoader {
    public:
        explicit LineLoader(StringTable& table);
        LineLoader(const LineLoader&) = delete;
        LineLoader& operator=(const LineLoader&) = delete;

        // Room for the next block, at least `want` bytes (0: a default). An
        // ask below the default block is taken for the size of what is left
        // of the input, and a fresh chunk is made no bigger than needed.
        std::span<char> space(std::size_t want = 0);
        // The first `n` bytes of space() hold new input. Returns the number
        // of lines it completed.
        std::size_t commit(std::size_t n);
        // True once a byte 26 was met; commit() then ignores what follows.
        bool stopped() const { return stopped_; }
        // The end of the input: an unfinished last line becomes a row;
        // true when there was one.
        bool finish();

    private:
        // Appends the lines from `line` that end before `stop`, and with
        // `last` the unfinished one too; returns how many. The first line
        // feed is looked for from `from` on.
        std::size_t append_lines(char* line, char* from, char* stop, bool cr, bool last);

        StringTable& t_;
        int chunk_ = -1;
        std::size_t begin_ = 0;   // start of the unfinished line in the chunk
        std::size_t end_ = 0;     // end of the bytes read into the chunk
        bool pending_cr_ = false; // the unfinished line holds a carriage return
        bool stopped_ = false;
    };

private:
    // One cell. Byte 7 (the top byte, the layout is little-endian) says what
    // the rest holds:
    //   0        the empty text (the whole record is 0);
    //   1 to 7   a text of that length in bytes 0 to 6;
    //   bit 7    a reference: kind in bits 61-62 (arena, long, shared,
    //            foreign), then
    //            arena: chunk (17 bits), offset (26), length (18);
    //            long:  index into longs_ (for texts that do not fit those);
    //            shared: id of the column's shared text;
    //            foreign: as arena, in the chunks of foreign_.
    struct CellRec {
        std::uint64_t v = 0;
    };
    struct LongText {
        std::uint32_t chunk = 0;
        std::size_t off = 0;
        std::size_t len = 0;
    };
    // The chunks that out-of-line texts live in, in a store other tables may
    // share (see TextRef). Chunks never move, so a text stays where it was
    // written until the table compacts into a fresh store.
    struct Arena {
        std::shared_ptr<TextStore> store;
        int current = -1; // general chunk that small texts fill
        std::size_t next_size = 4096;
        std::size_t used = 0; // bytes handed out
        char* allocate(std::size_t n, std::uint32_t& chunk, std::size_t& off);
        // True while no other table points into the chunks, so a text may be
        // overwritten where it is.
        bool sole_owner() const { return !store || store.use_count() == 1; }
    };
    // One block of row records: a small doubling first block of its own, or
    // a full block of kBlockRows rows from page_memory.
    struct BlockFree {
        std::size_t bytes = 0; // 0: the small first block
        void operator()(CellRec* block) const;
    };
    using Block = std::unique_ptr<CellRec[], BlockFree>;
    static constexpr int kBlockShift = 12;
    static constexpr int kBlockRows = 1 << kBlockShift;
    // Rows of the first block of a new table; it doubles as rows arrive.
    static constexpr int kFirstBlockRows = 8;

    CellRec& rec(int col, int row) {
        return blocks_[static_cast<std::size_t>(row) >> kBlockShift]
                      [static_cast<std::size_t>(row & (kBlockRows - 1)) * cols_ + col];
    }
    const CellRec& rec(int col, int row) const {
        return blocks_[static_cast<std::size_t>(row) >> kBlockShift]
                      [static_cast<std::size_t>(row & (kBlockRows - 1)) * cols_ + col];
    }
    std::string_view text_of(const CellRec& c) const;
    void ensure_rows(int rows);
    Block small_block(int rows) const;
    Block full_block() const;
    void release(CellRec& c);
    void store(int col, CellRec& c, std::string_view text);
    void store(int col, CellRec& c, const TextRef& text);
    static CellRec reference(std::vector<LongText>& longs, std::uint32_t chunk, std::size_t off,
                             std::size_t len);
    void maybe_compact();
    void compact();
    bool shared_column(int col) const {
        return !shared_cols_.empty() && shared_cols_[static_cast<std::size_t>(col)];
    }

    int cols_;
    int rows_ = 0;
    int allocated_rows_ = 0;
    std::vector<Block> blocks_;
    Arena arena_;
    std::vector<LongText> longs_;
    std::size_t live_bytes_ = 0; // bytes of the arena that cells show
    std::vector<char> shared_cols_;
    std::unique_ptr<SharedTexts> shared_;
    std::size_t shared_refs_ = 0; // cells that show a shared text
    // The storage of another table that foreign cells point into, held for
    // as long as one does.
    std::shared_ptr<const TextStore> foreign_;
    std::size_t foreign_refs_ = 0;
    std::uint64_t revision_ = 0;
};

// CopyRow: AssignRow(target, target_row, RowSnapshot(source, source_row));
// between tables of unequal ColCount only the shared leading columns go.
void CopyRow(const StringTable& source, int source_row, StringTable& target, int target_row);
// CopyRow into the target's append slot, then CommitSlot on the target.
void AppendCopyOfRow(const StringTable& source, int source_row, StringTable& target);

inline std::string_view ColumnView::operator[](int row) const {
    return table_->Cell(column_, row);
}
inline int ColumnView::size() const {
    return table_->RowCount();
}

} // namespace kavro
