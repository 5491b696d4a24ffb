#include "core/error.h"
#include "core/line_reader.h"
#include "core/string_table.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

using namespace kavro;
using kavro::testing::TempDir;

namespace {
std::vector<std::string> lines_of(const std::string& path) {
    std::vector<std::string> out;
    for_each_line(path, [&](std::string_view l) { out.emplace_back(l); });
    return out;
}
using Lines = std::vector<std::string>;
} // namespace

TEST(LineReader, LineEndsAndTheEndOfTheFile) {
    TempDir dir;
    struct Case {
        const char* name;
        std::string content;
        Lines want;
    } cases[] = {
        {"empty", "", {}},
        {"final break adds nothing", "a\nb\n", {"a", "b"}},
        {"no final break", "a\nb", {"a", "b"}},
        {"empty lines kept", "a\n\nc\n", {"a", "", "c"}},
        {"only a break", "\n", {""}},
        {"windows", "a\r\nb\r\n", {"a", "b"}},
        {"lone CR is dropped", "a\rb\nc\r", {"ab", "c"}},
        {"CR only file is one line", "a\rb\rc\r", {"abc"}},
        {"ctrl-z ends the file",
         std::string("a\nb\x1a"
                     "c\nd\n"),
         {"a", "b"}},
        {"nul bytes are text", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
        {"tabs and blanks kept", "\t x \n", {"\t x "}},
    };
    for (const Case& c : cases) EXPECT_EQ(lines_of(dir.file("f", c.content)), c.want) << c.name;
}

TEST(LineReader, ReadsLinesLongerThanItsBlockWhole) {
    TempDir dir;
    std::string content = "first\n" + std::string(9u << 20, 'x') + "\nlast";
    const auto lines = lines_of(dir.file("long", content));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].size(), 9u << 20);
    EXPECT_EQ(lines[2], "last");
}

TEST(LineReader, FailuresCarryTheSystemsText) {
    TempDir dir;
    const auto message = [](const std::string& path) {
        try {
            LineReader r(path);
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message((dir.path() / "missing.trc").string()), "File not found");
    EXPECT_EQ(message(""), "File not found");
    EXPECT_EQ(message(dir.path().string()), "Is a directory");
}

namespace {
std::vector<std::string> rows_of(const StringTable& t) {
    std::vector<std::string> out;
    for (int r = 1; r < t.RowCount() - 1; ++r) out.emplace_back(t.Cell(0, r));
    return out;
}

// The content handed to a table's loader in blocks of `block` bytes.
std::vector<std::string> loaded_in_blocks(std::string_view content, std::size_t block) {
    StringTable t(1);
    StringTable::LineLoader loader(t);
    for (std::size_t at = 0; at < content.size() && !loader.stopped(); at += block) {
        const std::size_t n = std::min(block, content.size() - at);
        std::memcpy(loader.space(n).data(), content.data() + at, n);
        loader.commit(n);
    }
    loader.finish();
    return rows_of(t);
}
} // namespace

// The loader reads a file's blocks straight into the table; a line may begin
// in one block and end blocks later, a carriage return and its line feed
// may fall in different blocks. Whatever the cut, the rows are the lines
// the line reader gives.
TEST(LineLoader, GivesTheReadersLinesWhereverTheBlocksEnd) {
    const std::string contents[] = {
        "",
        "a\nb\n",
        "a\nb",
        "a\n\nc\n\n",
        "\n",
        "a\r\nb\r\n",
        "a\rb\nc\r",
        "a\r\r\n\rb\r\rc\r\n\r",
        std::string("a\nb\x1a"
                    "c\nd\n"),
        std::string("\x1a"
                    "a\n"),
        std::string("a\0b\n\0", 5),
        "WAIT #1: nam='x' ela= 5 tim=1\r\nFETCH #1:c=0,e=1,tim=2\r\nlast without a break",
    };
    TempDir dir;
    for (const std::string& content : contents) {
        const std::vector<std::string> want = lines_of(dir.file("f", content));
        for (std::size_t block = 1; block <= content.size() + 1; ++block)
            EXPECT_EQ(loaded_in_blocks(content, block), want)
                << "block " << block << " of " << content.size();

        StringTable table(1);
        LineReader reader(dir.file("f", content));
        EXPECT_EQ(reader.append_to(table), want.size());
        EXPECT_EQ(rows_of(table), want);
        EXPECT_EQ(table.Cell(0, table.RowCount() - 1), ""); // the append slot
    }
}

TEST(LineLoader, LinesLongerThanAChunkAndLinesAfterThem) {
    // Long enough that the line outgrows the loader's chunk and the short
    // lines after it land far into the chunk made for it.
    const std::string big(70u << 20, 'x');
    const std::string content =
        "first\r\n" + big + "\r\nshort\r\n" + big.substr(0, 300000) + "\nlast";
    const auto rows = loaded_in_blocks(content, std::size_t(4) << 20);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], "first");
    EXPECT_EQ(rows[1].size(), big.size());
    EXPECT_EQ(rows[2], "short");
    EXPECT_EQ(rows[3].size(), 300000u);
    EXPECT_EQ(rows[4], "last");
}

// A load after lines were read one by one, or into a table that already
// holds rows, appends as AppendLine would.
TEST(LineLoader, AppendsAfterWhatIsThere) {
    TempDir dir;
    const std::string path = dir.file("f", "one\r\ntwo\nthree\r\nfour");
    LineReader reader(path);
    std::string_view line;
    ASSERT_TRUE(reader.next(line));
    StringTable t(2);
    t.AppendRow({"kept", "x"});
    t.SetSlotCell(0, "slot text, replaced");
    t.SetSlotCell(1, "slot column 1, kept");
    t.AppendLine(line);
    EXPECT_EQ(reader.append_to(t), 3u);
    EXPECT_FALSE(reader.next(line));
    EXPECT_EQ(rows_of(t), (std::vector<std::string>{"kept", "one", "two", "three", "four"}));
    EXPECT_EQ(t.Cell(1, 2), "slot column 1, kept");
    EXPECT_EQ(t.Cell(0, t.RowCount() - 1), "");
}

// A small file is read into room of its own size, not a chunk of tens of
// megabytes; a file that grows after it was opened (a trace still being
// written) is read to its new end, and one of several blocks whole.
TEST(LineLoader, ReadsSmallGrowingAndLargeFilesWhole) {
    TempDir dir;
    const std::string path = dir.file("small", "one\ntwo\n");
    for (const std::string& small : {path, dir.file("empty", "")}) {
        StringTable t(1);
        LineReader reader(small);
        EXPECT_EQ(reader.append_to(t), small == path ? 2u : 0u);
        EXPECT_LT(t.arena_bytes(), std::size_t(64) << 10);
    }
    {
        StringTable t(1);
        LineReader reader(path); // its size is taken now
        std::ofstream(path, std::ios::app | std::ios::binary) << "three\n"
                                                              << std::string(9u << 20, 'x');
        EXPECT_EQ(reader.append_to(t), 4u);
        EXPECT_EQ(rows_of(t)[2], "three");
        EXPECT_EQ(rows_of(t)[3].size(), 9u << 20);
    }
    {
        // A file of the system's gives its size as 0 and still has lines.
        StringTable t(1);
        LineReader reader("/proc/self/status");
        EXPECT_GT(reader.append_to(t), 3u);
        EXPECT_EQ(t.Cell(0, 1).substr(0, 5), "Name:");
    }
    std::string many;
    for (int i = 0; many.size() < (9u << 20); ++i) many += "line " + std::to_string(i) + "\n";
    StringTable t(1);
    LineReader reader(dir.file("large", many));
    EXPECT_EQ(reader.append_to(t),
              static_cast<std::uint64_t>(std::count(many.begin(), many.end(), '\n')));
    EXPECT_EQ(t.Cell(0, t.RowCount() - 2), "line " + std::to_string(t.RowCount() - 3));
}
