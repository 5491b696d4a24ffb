#include "core/error.h"
#include "core/line_reader.h"

#include "test_support.h"

#include <gtest/gtest.h>

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
        {"ctrl-z ends the file", std::string("a\nb\x1a" "c\nd\n"), {"a", "b"}},
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
