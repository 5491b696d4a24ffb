#include "core/text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace kavro;

TEST(Text, PosFindsFirstOccurrenceAndNeverAnEmptyText) {
    EXPECT_EQ(Pos("b", "abcb"), 2);
    EXPECT_EQ(Pos("x", "abc"), 0);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Pos("a", ""), 0);
    EXPECT_EQ(Pos("A", "abc"), 0); // case-sensitive
    EXPECT_TRUE(BeginsWith("WAIT #1", "WAIT"));
    EXPECT_FALSE(BeginsWith(" WAIT", "WAIT"));
    EXPECT_FALSE(BeginsWith("WAIT", ""));
}

// find_text against the library's find on texts of few letters (so that
// partial matches abound), blanks, every length around the sixteen bytes
// it tests at once, and every start.
TEST(Text, FindTextFindsWhatFindFinds) {
    std::mt19937 rng(5);
    const char letters[] = "ab a=#";
    for (int i = 0; i < 20000; ++i) {
        std::string t(rng() % 70, ' '), x(1 + rng() % 6, ' ');
        for (char& c : t) c = letters[rng() % 6];
        for (char& c : x) c = letters[rng() % 6];
        const std::size_t from = rng() % (t.size() + 2);
        ASSERT_EQ(find_text(t, x, from), std::string_view(t).find(x, from))
            << "'" << t << "' '" << x << "' " << from;
    }
    EXPECT_EQ(find_text("abc", ""), std::string_view::npos);
    const std::string line = "WAIT #1: nam='db file sequential read' ela= 5 tim=10 tim=20";
    EXPECT_EQ(Pos("tim=", line), static_cast<int>(line.find("tim=")) + 1);
}

TEST(Text, CopyClampsLikeTheDesktopTool) {
    struct Case {
        const char* text;
        long long p, n;
        const char* want;
    } cases[] = {
        {"abcdef", 2, 3, "bcd"}, {"abcdef", 0, 3, "abc"}, // start below 1 counts as 1, n kept
        {"abcdef", -5, 2, "ab"}, {"abcdef", 7, 1, ""},    // past the end
        {"abcdef", 6, 10, "f"},  {"abcdef", 2, 0, ""},    {"abcdef", 2, -1, ""}, {"", 1, 5, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Copy(c.text, c.p, c.n), c.want) << c.p << "," << c.n;
}

TEST(Text, DeleteDoesNothingOutsideTheText) {
    struct Case {
        const char* text;
        long long p, n;
        const char* want;
    } cases[] = {
        {"abcdef", 2, 2, "adef"},   {"abcdef", 0, 2, "abcdef"}, {"abcdef", 7, 1, "abcdef"},
        {"abcdef", 3, 0, "abcdef"}, {"abcdef", 4, 99, "abc"},
    };
    for (const Case& c : cases) {
        std::string s = c.text;
        Delete(s, c.p, c.n);
        EXPECT_EQ(s, c.want) << c.p << "," << c.n;
    }
}

TEST(Text, TextAfterAndTrims) {
    EXPECT_EQ(TextAfter("KAVRODB=PROD", "="), "PROD");
    EXPECT_EQ(TextAfter("METADATA d:\\x", "="), "METADATA d:\\x"); // whole text when absent
    EXPECT_EQ(TextAfter("a==b", "="), "=b");
    EXPECT_EQ(TrimLeft(" \t\x01x y "), "x y ");
    EXPECT_EQ(Trim("  x  "), "x");
    EXPECT_EQ(RemoveBlanks(" 9:05 :01 "), "9:05:01");
}
