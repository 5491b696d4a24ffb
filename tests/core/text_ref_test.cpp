// Cells that point into another table's bytes (TextRef), text keys, and the
// page memory behind the tables' buffers.
#include "core/page_memory.h"
#include "core/string_table.h"
#include "core/text.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <random>
#include <string>
#include <vector>

using namespace kavro;

namespace {

// Lines loaded as a loader loads them: each in the table's own chunks.
void load_lines(StringTable& t, const std::vector<std::string>& lines) {
    t.ResetTable();
    StringTable::LineLoader loader(t);
    for (const auto& l : lines) {
        const std::string text = l + "\n";
        auto room = loader.space(text.size());
        std::copy(text.begin(), text.end(), room.begin());
        loader.commit(text.size());
    }
    loader.finish();
}

std::vector<std::vector<std::string>> snapshot(const StringTable& t) {
    std::vector<std::vector<std::string>> out;
    for (int r = 0; r < t.RowCount(); ++r) out.push_back(t.RowSnapshot(r));
    return out;
}

// Cuts of a line as the trace scan makes them: a word after a marker.
std::string_view cut_after(std::string_view line, std::string_view marker) {
    const int p = Pos(marker, line);
    if (p == 0) return {};
    std::string_view rest = line.substr(static_cast<std::size_t>(p - 1) + marker.size());
    return rest.substr(0, rest.find(' '));
}

} // namespace

TEST(TextRef, CellsCutFromLinesReadTheirTextWhateverBecomesOfTheLines) {
    StringTable grid(1);
    load_lines(grid,
               {"WAIT #1: ela= 12 tim=1234567890123 obj#=77",
                "WAIT #2: ela= 123456789 tim=1234567890999 obj#=12345678901", "FETCH #3: short"});
    StringTable result(3);
    for (int r = 1; r < grid.RowCount() - 1; ++r) {
        const TextRef line = grid.CellRef(0, r);
        result.SetSlotCellRef(0, line.piece(cut_after(line.text(), "ela= ")));
        result.SetSlotCellRef(1, line.piece(cut_after(line.text(), "tim=")));
        result.SetSlotCellRef(2, line.piece(line.text()));
        result.CommitSlot();
    }
    const auto expected = snapshot(result);
    ASSERT_EQ(result.Cell(1, 2), "1234567890999");
    ASSERT_EQ(result.Cell(0, 2), "123456789");
    ASSERT_EQ(result.Cell(2, 3), "FETCH #3: short");

    // The lines overwritten in place, cleared, and other lines loaded in
    // their place: the result still reads what it read.
    grid.SetCell(0, 1, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx");
    EXPECT_EQ(snapshot(result), expected);
    grid.ResetTable();
    EXPECT_EQ(snapshot(result), expected);
    load_lines(grid, {std::string(200, 'y'), std::string(300, 'z')});
    EXPECT_EQ(snapshot(result), expected);

    // Copies, swaps and moves of the cells keep their texts too.
    StringTable copy(3);
    AppendCopyOfRow(result, 2, copy);
    EXPECT_EQ(copy.RowSnapshot(1), expected[2]);
    result.SwapRows(1, 2);
    EXPECT_EQ(result.RowSnapshot(1), expected[2]);
    EXPECT_EQ(result.RowSnapshot(2), expected[1]);
    StringTable moved = std::move(result);
    EXPECT_EQ(moved.RowSnapshot(2), expected[1]);
    moved.ResetTable();
    EXPECT_EQ(moved.RowCount(), 2);
    EXPECT_EQ(moved.Cell(1, 1), "");
}

TEST(TextRef, LinesPointedIntoAreNotOverwrittenInPlace) {
    StringTable grid(1);
    load_lines(grid, {"first line of text", "second line of text"});
    StringTable result(1);
    result.SetSlotCellRef(0, grid.CellRef(0, 1));
    result.CommitSlot();
    // A shorter text would fit where the line is; it must not go there.
    grid.SetCell(0, 1, "short one!");
    EXPECT_EQ(grid.Cell(0, 1), "short one!");
    EXPECT_EQ(result.Cell(0, 1), "first line of text");
    // With nothing pointing into them any more, the lines are the grid's
    // alone again and behave as before.
    result.ResetTable();
    grid.SetCell(0, 2, "2nd");
    EXPECT_EQ(grid.Cell(0, 2), "2nd");
}

TEST(TextRef, TextsOfTwoSourcesAtOnceAndPlainTextsAreCopies) {
    StringTable a(1), b(1);
    load_lines(a, {"alpha line number one"});
    load_lines(b, {"beta line number one"});
    StringTable result(2);
    result.SetSlotCellRef(0, a.CellRef(0, 1));
    // The second source while the first is still pointed into: a copy.
    result.SetSlotCellRef(1, b.CellRef(0, 1));
    result.CommitSlot();
    const std::string plain = "a text of no table at all";
    result.SetSlotCellRef(0, TextRef(plain));
    result.SetSlotCellRef(1, TextRef(plain).piece(std::string_view(plain).substr(2, 4)));
    result.CommitSlot();
    a.ResetTable();
    b.ResetTable();
    EXPECT_EQ(result.Cell(0, 1), "alpha line number one");
    EXPECT_EQ(result.Cell(1, 1), "beta line number one");
    EXPECT_EQ(result.Cell(0, 2), plain);
    EXPECT_EQ(result.Cell(1, 2), "text");
    // An empty piece is the empty text.
    result.SetCellRef(0, 2, TextRef(plain).piece({}));
    EXPECT_EQ(result.Cell(0, 2), "");
}

// Random writes of pointing cells, plain texts, copies within the table and
// swaps, with the source reloaded and cleared in between, against a model of
// plain strings.
TEST(TextRef, RandomUseReadsAsPlainCopiesWould) {
    std::mt19937 rng(16);
    const auto random_text = [&](std::size_t max) {
        std::string s(rng() % (max + 1), ' ');
        for (char& c : s) c = static_cast<char>('a' + rng() % 26);
        return s;
    };
    StringTable grid(1);
    StringTable result(2);
    result.intern_column(1);
    std::vector<std::vector<std::string>> model(2, std::vector<std::string>(2));
    std::vector<std::string> lines;
    for (int step = 0; step < 20000; ++step) {
        if (step % 2000 == 0) {
            lines.clear();
            for (int i = 0; i < 50; ++i) lines.push_back(random_text(120));
            load_lines(grid, lines);
        }
        const int row = 1 + static_cast<int>(rng() % (model.size() - 1));
        const int col = static_cast<int>(rng() % 2);
        switch (rng() % 6) {
        case 0:
        case 1: { // a piece of a line
            const int l = 1 + static_cast<int>(rng() % lines.size());
            const TextRef line = grid.CellRef(0, l);
            const std::size_t from = rng() % (line.text().size() + 1);
            const std::size_t len = rng() % (line.text().size() - from + 1);
            result.SetCellRef(col, row, line.piece(line.text().substr(from, len)));
            model[row][col] = lines[static_cast<std::size_t>(l - 1)].substr(from, len);
            break;
        }
        case 2: { // a plain text
            const std::string t = random_text(40);
            result.SetCell(col, row, t);
            model[row][col] = t;
            break;
        }
        case 3: { // a cell of the table itself, by reference
            const int other = 1 + static_cast<int>(rng() % (model.size() - 1));
            result.SetCellRef(col, row, result.CellRef(1 - col, other));
            model[row][col] = model[other][1 - col];
            break;
        }
        case 4: { // a new row, or the last one dropped
            if (rng() % 3 == 0 && model.size() > 2) {
                result.SetRowCount(result.RowCount() - 1);
                model.pop_back();
            } else {
                result.SetRowCount(result.RowCount() + 1);
                model.emplace_back(2);
            }
            break;
        }
        default: { // a swap
            const int other = 1 + static_cast<int>(rng() % (model.size() - 1));
            result.SwapRows(row, other);
            std::swap(model[row], model[other]);
            break;
        }
        }
        if (step % 5000 == 4999) {
            lines.assign(1, "");
            load_lines(grid, lines);
        }
        if (step % 97 == 0) {
            ASSERT_EQ(result.RowCount(), static_cast<int>(model.size()));
            for (int r = 1; r < result.RowCount(); ++r)
                for (int c = 0; c < 2; ++c)
                    ASSERT_EQ(result.Cell(c, r), model[r][c]) << "step " << step;
        }
    }
}

TEST(TextRef, TextKeysAreEqualExactlyWhenTextsAre) {
    StringTable t(2);
    t.intern_column(0);
    const std::vector<std::string> texts = {"",
                                            "a",
                                            "abcdefg",
                                            "abcdefgh",
                                            "#3:db file sequential read",
                                            "#3:db file sequential reae",
                                            std::string(300, 'x')};
    std::mt19937 rng(3);
    std::vector<std::size_t> picked;
    for (int i = 0; i < 200; ++i) {
        picked.push_back(rng() % texts.size());
        t.AppendRow({texts[picked.back()], texts[picked.back()]});
    }
    for (int i = 0; i < 200; ++i) {
        std::uint64_t ki = 0;
        const bool long_text = texts[picked[i]].size() > 256;
        ASSERT_EQ(t.TextKey(0, i + 1, ki), !long_text) << i;
        // Column 1 is not shared: only its short texts have keys.
        std::uint64_t k1 = 0;
        EXPECT_EQ(t.TextKey(1, i + 1, k1), texts[picked[i]].size() <= 7);
        if (long_text) continue;
        for (int j = 0; j < 200; ++j) {
            std::uint64_t kj = 0;
            if (!t.TextKey(0, j + 1, kj)) continue;
            EXPECT_EQ(ki == kj, picked[i] == picked[j]) << i << " " << j;
        }
    }
}

TEST(PageMemory, BlocksGivenBackAreReusedAndZeroedOnRequest) {
    // A big block: a mapping of its own, whole 2 MiB pages.
    std::size_t size = (std::size_t(5) << 20) + 1;
    char* a = page_memory::take(size);
    ASSERT_GE(size, (std::size_t(5) << 20) + 1);
    std::fill(a, a + size, 'x');
    page_memory::give_back(a, size);
    std::size_t again = (std::size_t(5) << 20) + 1;
    char* b = page_memory::take_zeroed(again);
    EXPECT_EQ(again, size);
    for (std::size_t i = 0; i < again; i += 4093) ASSERT_EQ(b[i], 0) << i;
    page_memory::give_back(b, again);

    // A small one: a heap block, zeroed when asked.
    std::size_t small = 1000;
    char* c = page_memory::take_zeroed(small);
    ASSERT_GE(small, 1000u);
    EXPECT_EQ(std::count(c, c + small, 0), static_cast<long>(small));
    page_memory::give_back(c, small);
}

TEST(PageMemory, ALoadedTablesChunksGoBackWhenTheLastCellPointingIntoThemGoes) {
    const std::size_t before = page_memory::cached_bytes();
    StringTable grid(1);
    load_lines(grid, {std::string(1000, 'a')});
    StringTable result(1);
    result.SetSlotCellRef(0, grid.CellRef(0, 1));
    result.CommitSlot();
    grid.ResetTable();
    const std::size_t held = page_memory::cached_bytes();
    result.ResetTable();
    // Under the address sanitizer blocks are not cached, and nothing is
    // counted.
    if (held != 0 || before != 0) {
        EXPECT_GT(page_memory::cached_bytes(), held);
    }
}
