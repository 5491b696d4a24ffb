#include "core/convert.h"
#include "core/fast_text.h"
#include "core/progress.h"
#include "core/text.h"
#include "osw_ps/ps.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace kavro {

namespace {

bool is_control_or_blank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// Trim for the keys, which the sorts compute at every comparison: a cell
// that neither begins nor ends with a blank or control character (almost
// every cell) is its own key without a walk.
std::string_view trimmed(std::string_view text) {
    if (!is_control_or_blank(text.front()) && !is_control_or_blank(text.back())) return text;
    return Trim(text);
}

} // namespace

double NumberKey(std::string_view text) {
    if (text.empty()) return 0;
    const std::string_view t = trimmed(text);
    double v = 0;
    if (read_plain_decimal(t, v)) return v;
    return TryStrToFloat(t, v) ? v : 0;
}

std::string_view TextKey(std::string_view text) {
    if (text.empty()) return "0.00";
    return trimmed(text);
}

namespace {

// Progress of a sort: the rows the passes have gone over so far, against
// about n log2 n for the whole sort. Counted as a pass goes, since the first
// passes over millions of rows take seconds each.
struct SortProgress {
    std::uint64_t done = 0;
    std::uint64_t total = 1;
    void passed(std::uint64_t rows) {
        done += rows;
        progress_steps(rows, std::min(done, total - 1), total, "Sort");
    }
};
SortProgress sort_progress;

// Rows swap whole. Exchanging their cell records gives what going through a
// scratch list (row j into it, row i onto row j, the list onto row i) gives,
// without copying texts, and the pivot's text stays where the pass read it.
void swap_rows(StringTable& table, int i, int j) {
    table.SwapRows(i, j);
}

struct ByText {
    using Key = std::string_view;
    static Key key(std::string_view cell) { return TextKey(cell); }
    // Byte for byte on the 8-bit texts: "B" before "a", a text before every
    // longer text it begins.
    static bool before(Key a, Key b) { return a.compare(b) < 0; }
};

struct ByNumberAsc {
    using Key = double;
    static Key key(std::string_view cell) { return NumberKey(cell); }
    static bool before(Key a, Key b) { return a < b; }
};

struct ByNumberDesc {
    using Key = double;
    static Key key(std::string_view cell) { return NumberKey(cell); }
    static bool before(Key a, Key b) { return a > b; }
};

// Keys are read from the cells at every comparison through the live column
// view, so a row moved by a swap is seen at once. The pivot's key is a copy:
// for texts it must not point into a cell that a swap rewrites.
template <class Order> void pass(StringTable& table, const ColumnView& column, int L, int R) {
    using StoredKey = std::conditional_t<std::is_same_v<typename Order::Key, std::string_view>,
                                         std::string, typename Order::Key>;
    // The two halves of a pass are disjoint ranges, so sorting them in either
    // order gives the same rows. Recursing into the smaller one and looping
    // on the larger keeps the stack shallow even when a pivot splits badly.
    while (L < R) {
        int I = L;
        int J = R;
        const StoredKey P(Order::key(column[(L + R) / 2]));
        const typename Order::Key pivot(P);
        // Rows of this pass told to the progress so far: the ends have gone
        // over (I - L) + (R - J) of them. Only a long pass tells as it goes.
        std::int64_t told = 0;
        const bool long_pass = R - L >= 65536;
        const auto passed = [&] {
            return static_cast<std::int64_t>(I - L) + static_cast<std::int64_t>(R - J);
        };
        do {
            while (Order::before(Order::key(column[I]), pivot)) ++I;
            while (Order::before(pivot, Order::key(column[J]))) --J;
            if (I <= J) {
                swap_rows(table, I, J);
                ++I;
                --J;
            }
            if (long_pass && passed() - told >= 4096) {
                sort_progress.passed(static_cast<std::uint64_t>(passed() - told));
                told = passed();
            }
        } while (I <= J);
        sort_progress.passed(static_cast<std::uint64_t>(passed() - told));
        if (J - L < R - I) {
            if (L < J) pass<Order>(table, column, L, J);
            L = I;
        } else {
            if (I < R) pass<Order>(table, column, I, R);
            R = J;
        }
    }
}

template <class Order> void sort_rows(StringTable& table, ColumnView column, int L, int R) {
    if (L >= R) return;
    const auto rows = static_cast<std::uint64_t>(R - L + 1);
    sort_progress = {0, rows * static_cast<std::uint64_t>(std::bit_width(rows)) + 1};
    pass<Order>(table, column, L, R);
}

} // namespace

void SortRowsByText(StringTable& table, ColumnView column, int L, int R) {
    sort_rows<ByText>(table, column, L, R);
}

void SortRowsByNumberAsc(StringTable& table, ColumnView column, int L, int R) {
    sort_rows<ByNumberAsc>(table, column, L, R);
}

void SortRowsByNumberDesc(StringTable& table, ColumnView column, int L, int R) {
    sort_rows<ByNumberDesc>(table, column, L, R);
}

void sort_ps_by_time(PsPage& page) {
    StringTable& t = page.osw_ps_grid;
    SortRowsByText(t, t.GetColumnView(osw_ps_grid_col::Time), 1, t.RowCount() - 1);
}
void sort_ps_by_process_id(PsPage& page) {
    StringTable& t = page.osw_ps_grid;
    SortRowsByNumberAsc(t, t.GetColumnView(osw_ps_grid_col::ProcessId), 1, t.RowCount() - 1);
}
void sort_ps_by_owner(PsPage& page) {
    StringTable& t = page.osw_ps_grid;
    SortRowsByText(t, t.GetColumnView(osw_ps_grid_col::Owner), 1, t.RowCount() - 1);
}
void sort_ps_by_cpu(PsPage& page) {
    StringTable& t = page.osw_ps_grid;
    SortRowsByNumberDesc(t, t.GetColumnView(osw_ps_grid_col::Cpu), 1, t.RowCount() - 1);
}

} // namespace kavro
