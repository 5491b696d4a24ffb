#pragma once

// StringTable: the one record store of the program. Row 0 holds the column
// titles; while the table is open its last row is the append slot.
//
// Cells are 8-bit texts kept in a chunked arena with a 16-byte record per
// cell, so a raw table of tens of millions of lines costs little more than
// the bytes of its lines. A text returned by Cell() stays valid until the
// next write of that cell or the next structural change of the same table
// (CommitSlot, AppendRow, AssignRow, CopyRow into it, ResetTable, ClearRow,
// TrimTable, SetRowCount).

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

class StringTable;

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

    void SetSlotCell(int col, std::string_view text);
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
    // without copying a text: texts read from either row stay valid.
    void SwapRows(int i, int j);

    ColumnView GetColumnView(int col) const { return ColumnView(*this, col); }

    // Bumped by every change; views refresh only tables whose revision moved.
    std::uint64_t revision() const { return revision_; }
    // Bytes held by the arena, for benchmarks and memory reports.
    std::size_t arena_bytes() const;

    // Appends one row whose column 0 is `text` without the per-cell checks of
    // AppendRow: the loaders' path for millions of lines.
    void AppendLine(std::string_view text);

private:
    struct CellRec {
        std::uint32_t chunk = 0;
        std::uint32_t off = 0;
        std::uint32_t len = 0;
        std::uint32_t cap = 0;
    };
    struct Chunk {
        std::unique_ptr<char[]> data;
        std::size_t size = 0;
        std::size_t used = 0;
    };
    static constexpr int kBlockShift = 12;
    static constexpr int kBlockRows = 1 << kBlockShift;

    CellRec& rec(int col, int row);
    const CellRec& rec(int col, int row) const;
    void ensure_rows(int rows);
    void release(CellRec& c);
    void store(CellRec& c, std::string_view text, bool slack);
    char* allocate(std::size_t n, std::uint32_t& chunk, std::uint32_t& off);
    void maybe_compact();
    void compact();

    int cols_;
    int rows_ = 0;
    int allocated_rows_ = 0;
    std::vector<std::unique_ptr<CellRec[]>> blocks_;
    std::vector<Chunk> chunks_;
    int current_ = -1; // general chunk that small texts fill
    std::size_t next_chunk_size_ = 4096;
    std::size_t used_bytes_ = 0;
    std::size_t live_bytes_ = 0;
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
