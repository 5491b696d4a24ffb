#include "core/items.h"
#include "core/string_table.h"

#include <gtest/gtest.h>

using namespace kavro;

namespace {
std::vector<std::string> column0(const StringTable& t) {
    std::vector<std::string> out;
    for (int r = 0; r < t.RowCount(); ++r) out.emplace_back(t.Cell(0, r));
    return out;
}
} // namespace

TEST(StringTable, FreshTableIsOpenAndTrimLeavesItAlone) {
    StringTable t(3);
    EXPECT_EQ(t.RowCount(), 2);
    t.TrimTable();
    EXPECT_EQ(t.RowCount(), 2);
    EXPECT_EQ(t.Cell(0, 1), "");
}

TEST(StringTable, AppendThenTrimDropsOnlyTheSlot) {
    StringTable t(2);
    t.AppendRow({"a"});
    t.AppendRow({"b", "x"});
    t.AppendRow({"c"});
    EXPECT_EQ(t.RowCount(), 5);
    t.TrimTable();
    EXPECT_EQ(t.RowCount(), 4);
    EXPECT_EQ(t.Cell(0, 3), "c");
    t.TrimTable(); // a trimmed table stays as it is
    EXPECT_EQ(t.RowCount(), 4);
}

TEST(StringTable, TrimLooksOnlyAtColumnZero) {
    StringTable t(2);
    t.AppendRow({"a"});
    t.AppendRow({"", "kept: a row below it has text"});
    t.AppendRow({"b"});
    t.AppendRow({"", "dropped"});
    t.AppendRow({"", "dropped too"});
    t.TrimTable();
    EXPECT_EQ(column0(t), (std::vector<std::string>{"", "a", "", "b"}));
    EXPECT_EQ(t.Cell(1, 2), "kept: a row below it has text");

    StringTable only(2);
    only.AppendRow({"", "x"});
    only.TrimTable();
    EXPECT_EQ(only.RowCount(), 1); // the title row alone
}

TEST(StringTable, AppendAfterTrimOverwritesTheLastRow) {
    StringTable t(1);
    t.AppendRow({"a"});
    t.AppendRow({"b"});
    t.TrimTable();
    t.AppendRow({"c"});
    EXPECT_EQ(column0(t), (std::vector<std::string>{"", "a", "c", ""}));

    StringTable titles(1);
    titles.SetCell(0, 0, "Title");
    titles.AppendRow({""});
    titles.AppendRow({""});
    titles.TrimTable(); // down to the title row
    titles.AppendRow({"x"});
    EXPECT_EQ(column0(titles), (std::vector<std::string>{"x", ""}));
}

TEST(StringTable, ResetForgetsEveryEarlierText) {
    StringTable t(2);
    t.SetCell(0, 0, "Title");
    for (int i = 0; i < 100; ++i) t.AppendRow({"row " + std::to_string(i), "more"});
    t.ResetTable();
    EXPECT_EQ(t.RowCount(), 2);
    t.CommitSlot();
    t.CommitSlot();
    EXPECT_EQ(t.RowCount(), 4);
    for (int r = 1; r < 4; ++r)
        for (int c = 0; c < 2; ++c) EXPECT_EQ(t.Cell(c, r), "") << c << "," << r;
    EXPECT_EQ(t.Cell(0, 0), "Title");
}

TEST(StringTable, RowCopiesBetweenUnequalTables) {
    StringTable wide(11), narrow(3);
    for (int c = 0; c < 11; ++c) wide.SetCell(c, 1, "w" + std::to_string(c));
    CopyRow(wide, 1, narrow, 1);
    EXPECT_EQ(narrow.Cell(2, 1), "w2");

    StringTable target(11);
    for (int c = 0; c < 11; ++c) target.SetCell(c, 1, "t" + std::to_string(c));
    narrow.SetCell(0, 1, "n0");
    CopyRow(narrow, 1, target, 1);
    EXPECT_EQ(target.Cell(0, 1), "n0");
    EXPECT_EQ(target.Cell(2, 1), "w2");
    EXPECT_EQ(target.Cell(3, 1), "t3");
    EXPECT_EQ(target.Cell(10, 1), "t10");

    AppendCopyOfRow(wide, 1, narrow);
    EXPECT_EQ(narrow.RowCount(), 3);
    EXPECT_EQ(narrow.Cell(1, 1), "w1");
}

TEST(StringTable, SwappingRowsThroughASnapshotAndALiveColumnView) {
    StringTable t(2);
    t.AppendRow({"a", "1"});
    t.AppendRow({"bb", "2"});
    ColumnView keys = t.GetColumnView(0);
    auto scratch = t.RowSnapshot(2);
    CopyRow(t, 1, t, 2);
    t.AssignRow(1, scratch);
    EXPECT_EQ(keys[1], "bb"); // the view sees the move at once
    EXPECT_EQ(keys[2], "a");
    EXPECT_EQ(t.Cell(1, 2), "1");
    EXPECT_EQ(keys.size(), 4);
}

TEST(StringTable, OverwritesInPlaceAndStaysCompactUnderChurn) {
    StringTable t(1);
    t.AppendRow({"x"});
    for (int i = 0; i < 200000; ++i) {
        t.SetCell(0, 1, std::string(static_cast<std::size_t>(i % 97), 'a'));
        t.CommitSlot();
        t.SetRowCount(2);
    }
    EXPECT_LT(t.arena_bytes(), std::size_t(64) << 20);
    t.SetCell(0, 1, "hello");
    t.SetCell(0, 1, t.Cell(0, 1).substr(1)); // source inside the cell itself
    EXPECT_EQ(t.Cell(0, 1), "ello");
}

TEST(StringTable, HoldsLongTextsWhole) {
    StringTable t(1);
    const std::string big(50u << 20, 'z');
    t.AppendRow({"small"});
    t.AppendRow({big});
    t.AppendRow({"after"});
    EXPECT_EQ(t.Cell(0, 1), "small");
    EXPECT_EQ(t.Cell(0, 2).size(), big.size());
    EXPECT_EQ(t.Cell(0, 3), "after");
}

TEST(Items, AddUniqueItemComparesWholeTextsExactly) {
    Selector s;
    AddUniqueItem(s, "All");
    AddUniqueItem(s, "All");
    AddUniqueItem(s, "all");
    AddUniqueItem(s, " All");
    AddUniqueItem(s, "All ");
    EXPECT_EQ(s.items(), (std::vector<std::string>{"All", "all", " All", "All "}));
    EXPECT_EQ(s.text(), "");
}

TEST(StringTable, SwapRowsExchangesWholeRows) {
    StringTable t(2);
    const std::string long_text(40, 'L');
    t.AppendRow({"a", long_text});
    t.AppendRow({"bbbbbbbbbbbb", "2"});
    t.SwapRows(1, 2);
    EXPECT_EQ(t.Cell(0, 1), "bbbbbbbbbbbb");
    EXPECT_EQ(t.Cell(1, 1), "2");
    EXPECT_EQ(t.Cell(0, 2), "a");
    EXPECT_EQ(t.Cell(1, 2), long_text);
    t.SwapRows(2, 1);
    EXPECT_EQ(t.Cell(0, 1), "a");
    EXPECT_EQ(t.Cell(1, 2), "2");
}

// Texts of up to 7 bytes live in the cell's record, longer ones in the
// arena; every change between the two keeps exactly the text written.
TEST(StringTable, CellsKeepEveryTextWhateverItsLength) {
    StringTable t(2);
    const std::string nul("a\0b", 3);
    const std::vector<std::string> texts = {"",
                                            "1",
                                            "1234567",
                                            "12345678",
                                            nul,
                                            "ela=",
                                            "#3:FETCH(cr=)",
                                            std::string(300, 'p'),
                                            std::string(300000, 'q'),
                                            "7"};
    // Every text over every other, in both columns, then read back.
    for (const std::string& before : texts)
        for (const std::string& after : texts) {
            t.SetCell(0, 1, before);
            t.SetCell(1, 1, before);
            t.SetCell(0, 1, after);
            EXPECT_EQ(t.Cell(0, 1), after) << before.size() << " -> " << after.size();
            EXPECT_EQ(t.Cell(1, 1), before);
        }
    // A cell written from its own text, short and long.
    for (const std::string& text : {std::string("abcdef"), std::string(50, 'z') + "!"}) {
        t.SetCell(0, 1, text);
        t.SetCell(0, 1, t.Cell(0, 1).substr(1));
        EXPECT_EQ(t.Cell(0, 1), text.substr(1));
        t.SetCell(1, 1, t.Cell(0, 1));
        EXPECT_EQ(t.Cell(1, 1), text.substr(1));
    }
}

TEST(StringTable, ASharedColumnShowsWhatWasWrittenAndKeepsEachTextOnce) {
    StringTable plain(2), shared(2);
    shared.intern_column(0);
    const std::vector<std::string> events = {"#140151307833310:db file sequential read",
                                             "#140151307833310:log file sync", "#7:x", ""};
    for (int i = 0; i < 200000; ++i) {
        const std::string& e = events[static_cast<std::size_t>(i) % events.size()];
        plain.AppendRow({e, std::to_string(i)});
        shared.AppendRow({e, std::to_string(i)});
    }
    for (int r : {1, 2, 3, 4, 199999, 200000}) {
        EXPECT_EQ(shared.Cell(0, r), plain.Cell(0, r)) << r;
        EXPECT_EQ(shared.Cell(1, r), plain.Cell(1, r)) << r;
    }
    EXPECT_LT(shared.arena_bytes() + (std::size_t(2) << 20), plain.arena_bytes());

    // Writes over shared cells, copies into and out of them, sorts and trims
    // act as on any column.
    shared.SetCell(0, 1, "#1:changed, and longer than before");
    EXPECT_EQ(shared.Cell(0, 1), "#1:changed, and longer than before");
    EXPECT_EQ(shared.Cell(0, 5), events[0]); // the other cells of that text keep it
    CopyRow(shared, 2, shared, 3);
    EXPECT_EQ(shared.Cell(0, 3), events[1]);
    shared.SwapRows(1, 2);
    EXPECT_EQ(shared.Cell(0, 2), "#1:changed, and longer than before");
    shared.SetCell(0, 4, std::string(400, 'w')); // too long to share
    EXPECT_EQ(shared.Cell(0, 4), std::string(400, 'w'));

    // Emptied, the column starts again from nothing and still shares.
    shared.ResetTable();
    EXPECT_EQ(shared.Cell(0, 1), "");
    shared.AppendRow({events[0]});
    shared.AppendRow({events[0]});
    shared.CommitSlot();
    EXPECT_EQ(shared.Cell(0, 1), events[0]);
    EXPECT_EQ(shared.Cell(0, 2), events[0]);
    EXPECT_EQ(shared.Cell(0, 3), "");
}

TEST(StringTable, ResetAfterManyLongTextsGivesTheMemoryBack) {
    StringTable t(1);
    for (int i = 0; i < 50000; ++i) t.AppendRow({std::string(100, 'a') + std::to_string(i)});
    t.SetCell(0, 7, std::string(1u << 20, 'b')); // a text of its own chunk
    EXPECT_EQ(t.Cell(0, 7).size(), 1u << 20);
    t.ResetTable();
    EXPECT_LT(t.arena_bytes(), std::size_t(1) << 20);

    // A table keeps its titles through a reset, and gives back the rest at
    // once, however little it held: a window's tables are loaded and reset
    // over and over.
    StringTable titled(2);
    titled.SetCell(0, 0, "A column title longer than a cell");
    titled.SetCell(1, 0, "Another");
    for (int i = 0; i < 2000; ++i) titled.AppendRow({std::string(40, 'c') + std::to_string(i)});
    titled.ResetTable();
    EXPECT_LT(titled.arena_bytes(), std::size_t(64) << 10); // its row records, a title chunk
    EXPECT_EQ(titled.Cell(0, 0), "A column title longer than a cell");
    EXPECT_EQ(titled.Cell(1, 0), "Another");
    EXPECT_EQ(titled.Cell(0, 1), "");
}

TEST(StringTable, RowsKeepTheirTextsAsTheTableGrowsFromEmpty) {
    // An empty table holds records for a few rows only; the rows then arrive
    // by every path (slot, line, row count), past the first block's growth
    // steps and into the later blocks, and every cell keeps its text.
    StringTable empty(11);
    EXPECT_LT(empty.arena_bytes(), std::size_t(4096));

    StringTable t(3);
    t.SetCell(0, 0, "Title");
    const auto text = [](int i) {
        return i % 3 == 0 ? std::to_string(i) : "a longer text of row " + std::to_string(i);
    };
    int row = 1;
    for (int i = 0; row < 9000; ++i) {
        if (i % 3 == 0) {
            t.AppendLine(text(row));
        } else if (i % 3 == 1) {
            t.AppendRow({text(row), "b", text(row + 1)});
        } else {
            t.SetRowCount(t.RowCount() + 1);
            t.SetCell(0, row, text(row));
        }
        ++row;
    }
    ASSERT_EQ(t.RowCount(), 9001);
    EXPECT_EQ(t.Cell(0, 0), "Title");
    for (int r = 1; r < 9000; ++r) ASSERT_EQ(t.Cell(0, r), text(r)) << r;
    EXPECT_EQ(t.Cell(2, 2), text(3));
    EXPECT_EQ(t.Cell(0, 9000), "");
    t.SetRowCount(3);
    t.SetRowCount(5000);
    EXPECT_EQ(t.Cell(0, 2), text(2));
    EXPECT_EQ(t.Cell(0, 3), "");
    EXPECT_EQ(t.Cell(0, 4999), "");
}
