// The fast text primitives against the plain operations they stand in for,
// on random lines and on the lines of the samples, fixtures and real files:
// any difference would change a row, a point or a message of an analysis.

#include "core/convert.h"
#include "core/fast_fields.h"
#include "core/fast_text.h"
#include "core/line_reader.h"
#include "core/string_table.h"
#include "core/text.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace kavro;
using kavro::testing::TempDir;

namespace {

using Lines = std::vector<std::string>;

// Every line of the archives at hand: the samples and fixtures always, the
// real files when their folder is there.
const Lines& archive_lines() {
    static const Lines lines = [] {
        Lines out;
        std::vector<std::filesystem::path> folders = {
            std::filesystem::path(KAVRO_SAMPLES) / "OSW_Files",
            std::filesystem::path(KAVRO_FIXTURES) / "ps",
            std::filesystem::path(KAVRO_FIXTURES) / "mpstat",
            std::filesystem::path(KAVRO_FIXTURES) / "netstat"};
        for (const char* kind : {"ps", "mpstat", "netstat"})
            if (std::filesystem::is_directory(kavro::testing::real_data(kind)))
                folders.push_back(kavro::testing::real_data(kind));
        for (const auto& folder : folders)
            for (const auto& entry : std::filesystem::directory_iterator(folder))
                for_each_line(entry.path().string(),
                              [&](std::string_view l) { out.emplace_back(l); });
        return out;
    }();
    return lines;
}

class Random {
public:
    explicit Random(unsigned seed) : gen_(seed) {}
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(gen_() % n); }
    std::string text(std::size_t max_size, std::string_view alphabet) {
        std::string t(below(max_size + 1), ' ');
        for (char& c : t) c = alphabet[below(alphabet.size())];
        return t;
    }

private:
    std::mt19937 gen_;
};

// Random lines, then the real ones.
template <class Check> void on_lines(Random& rnd, std::string_view alphabet, Check&& check) {
    for (int n = 0; n < 20000; ++n) check(rnd.text(n % 3 == 0 ? 200 : 40, alphabet));
    for (const std::string& line : archive_lines()) check(line);
}

// The line reader's rules, byte by byte: a line ends at a line feed, every
// carriage return is dropped, a byte 26 ends the file, and a final line
// break adds no empty line.
Lines plain_lines(const std::string& content) {
    Lines out;
    std::string line;
    bool open = false;
    for (char c : content) {
        if (c == 26) break;
        if (c == '\n') {
            out.push_back(line);
            line.clear();
            open = false;
        } else {
            if (c != '\r') line.push_back(c);
            open = true;
        }
    }
    if (open) out.push_back(line);
    return out;
}

// The fields of a row as the blank-separated cut finds them: every run of
// blanks collapsed to one, the ends trimmed of it, then cut at each blank.
std::vector<std::string> plain_fields(std::string_view row) {
    std::string t(row);
    while (Pos("  ", t) > 0) Delete(t, Pos("  ", t), 1);
    if (!t.empty() && t.front() == ' ') Delete(t, 1, 1);
    if (!t.empty() && t.back() == ' ') t.pop_back();
    std::vector<std::string> out;
    while (!t.empty()) {
        const int blank = Pos(" ", t);
        if (blank == 0) {
            out.push_back(t);
            break;
        }
        out.emplace_back(Copy(t, 1, blank - 1));
        Delete(t, 1, blank);
    }
    return out;
}

} // namespace

TEST(FastText, LineEndsAreTheLineReadersRules) {
    Random rnd(1);
    TempDir dir;
    for (int n = 0; n < 300; ++n) {
        // Mostly short lines, some crossing the readers' blocks.
        const std::size_t size = n % 100 == 0 ? (std::size_t(5) << 20) + rnd.below(100) : 200;
        std::string content = rnd.text(size, n % 7 == 0 ? "ab\r\n\x1a" : "abc \r\n\n\n");
        const std::string path = dir.file("f" + std::to_string(n), content);
        const Lines want = plain_lines(content);
        Lines got;
        for_each_line(path, [&](std::string_view l) { got.emplace_back(l); });
        ASSERT_EQ(got, want) << n;
        // The loader's way: rows 1 on, before the empty append slot.
        StringTable table(1);
        LineReader(path).append_to(table);
        Lines loaded;
        for (int r = 1; r < table.RowCount() - 1; ++r) loaded.emplace_back(table.Cell(0, r));
        ASSERT_EQ(loaded, want) << n;

        std::string line = rnd.text(40, "a\r\x1a");
        std::string want_line = line;
        std::erase(want_line, '\r');
        ASSERT_EQ(line.substr(0, drop_carriage_returns(line.data(), line.size())), want_line);
        ASSERT_EQ(before_end_of_file(line.data(), line.size()),
                  std::min(line.find('\x1a'), line.size()));
    }
}

TEST(FastText, PlainNumbersReadAsTheGeneralConversionsReadThem) {
    const auto agrees = [](const std::string& t) {
        double fast = 0, general = 0;
        if (read_plain_decimal(t, fast)) {
            ASSERT_TRUE(TryStrToFloat(t, general)) << t;
            // Bit for bit: the same double, not a near one.
            ASSERT_EQ(fast, general) << t;
        }
        int whole = 0;
        if (read_plain_int(t, whole)) {
            ASSERT_EQ(whole, StrToInt(t)) << t;
        }
    };
    // Every one-decimal percentage ps prints.
    for (int tenths = 0; tenths <= 10000; ++tenths) {
        const std::string t = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
        double v = -1;
        ASSERT_TRUE(read_plain_decimal(t, v)) << t;
        agrees(t);
    }
    for (const char* t : {"0",
                          "7.",
                          ".5",
                          "00012",
                          "123456789012345",
                          "1234567890123456",
                          "0.000000000000001",
                          "999999999",
                          "1000000000",
                          "",
                          ".",
                          "1.2.3",
                          " 5",
                          "5 ",
                          "-1",
                          "+2",
                          "1e3",
                          "0x1F",
                          "$10",
                          "5%",
                          "12,5"})
        agrees(t);
    Random rnd(2);
    for (int n = 0; n < 200000; ++n)
        agrees(rnd.text(18, n % 2 ? "0123456789." : "0123456789.9-e "));
    // The shapes they take are taken whole.
    double v = 0;
    int i = 0;
    EXPECT_TRUE(read_plain_decimal("27.73", v));
    EXPECT_TRUE(read_plain_decimal("123456789012345", v));
    EXPECT_FALSE(read_plain_decimal("1234567890123456", v));
    EXPECT_TRUE(read_plain_int("123456789", i));
    EXPECT_FALSE(read_plain_int("1234567890", i));
}

TEST(FastText, CutsAreThePlainCuts) {
    using namespace std::string_literals;
    std::string scratch;
    // Fields of up to eight bytes are read a word at a time: bytes next to
    // the blank's value, with the top bit set, or zero are no blanks.
    const std::string words[] = {"ora cle  12 34 0.5    x",
                                 "\xA0 !\x1F\0 \x80\xFF  \xDF\x21 ! \xA0\xA0"s};
    for (const std::string& line : words)
        for (long long start = -2; start <= static_cast<long long>(line.size()) + 2; ++start)
            for (long long count = -1; count <= 30; ++count)
                ASSERT_EQ(cut_without_blanks(line, start, count, scratch),
                          RemoveBlanks(Copy(line, start, count)))
                    << start << "," << count;
    Random rnd(3);
    on_lines(rnd, "ab  :\t1", [&](const std::string& line) {
        const long long start = static_cast<long long>(rnd.below(line.size() + 4)) - 1;
        const long long count = static_cast<long long>(rnd.below(14)) - 1;
        ASSERT_EQ(cut_without_blanks(line, start, count, scratch),
                  RemoveBlanks(Copy(line, start, count)))
            << line << " " << start << "," << count;
        const char* first = skip_blanks(line.data(), line.data() + line.size());
        ASSERT_EQ(
            std::string_view(first, static_cast<std::size_t>(line.data() + line.size() - first)),
            std::string_view(line).substr(std::min(line.find_first_not_of(' '), line.size())))
            << line;
    });
}

TEST(FastText, SearchesAnswerWhatPosAnswers) {
    // Texts that share key bytes, overlap, repeat, sit at either end of a
    // line or straddle the sixteen-byte blocks; more distinct bytes than the
    // search has keys; markers of every archive.
    const std::vector<std::string> texts = {"zzz",   "OSWbb", "%CPU %MEM", "SNAP_INTERVAL",
                                            "VCPUS", "a",     "zz",        "qwertyuiopasdfgh",
                                            "~!",    "@#",    "^&",        "*(",
                                            ")_",    "+{",    "}|",        "",
                                            " U ",   "ALL ",  "CPU",       "lcpu",
                                            "tcp:"};
    const std::string alphabet = "azqOSWb%CPUMEV_ ~!@#^&*()+{}|.0123456789LAlt:";
    Random rnd(4);
    ByteCounts counts{};
    for (char c : alphabet)
        counts[static_cast<unsigned char>(c)] = static_cast<std::uint32_t>(rnd.below(100));
    MultiFind find(counts);
    for (std::size_t i = 0; i < texts.size(); ++i) find.add(texts[i], 1u << (i % 7));
    // Few texts, as the readers of mpstat and netstat have them.
    MultiFind markers(counts);
    markers.add("zzz", 1);
    markers.add(" U ", 2);
    markers.add("ALL ", 2);
    // Each text alone, as a snapshot indicator is, searched for by its key
    // byte only where the text fits around it.
    std::vector<MultiFind> alone;
    for (const std::string& t : texts) {
        alone.emplace_back(counts);
        alone.back().add(t, 4);
    }
    KeyBytes keys;
    for (char c : std::string("zCU")) keys.add(static_cast<unsigned char>(c));
    const std::vector<std::string> prefixes = {
        "packets",     "packets sent", "", "p", "packets sent x", "segments retransmitted",
        "data packets"};
    const PrefixList prefix_list(prefixes);

    on_lines(rnd, alphabet, [&](std::string line) {
        if (rnd.below(4) == 0)
            line.insert(rnd.below(line.size() + 1), texts[rnd.below(texts.size())]);
        unsigned want = 0;
        for (std::size_t i = 0; i < texts.size(); ++i)
            if (Contains(line, texts[i])) want |= 1u << (i % 7);
        ASSERT_EQ(find.found_in(line), want) << '"' << line << '"';
        const unsigned want_markers = (Contains(line, "zzz") ? 1u : 0u) |
                                      (Contains(line, " U ") || Contains(line, "ALL ") ? 2u : 0u);
        ASSERT_EQ(markers.found_in(line), want_markers) << '"' << line << '"';
        for (std::size_t i = 0; i < texts.size(); ++i)
            ASSERT_EQ(alone[i].found_in(line), Contains(line, texts[i]) ? 4u : 0u)
                << '"' << texts[i] << "\" in \"" << line << '"';
        ASSERT_EQ(keys.in(line), Contains(line, "z") || Contains(line, "C") || Contains(line, "U"))
            << '"' << line << '"';

        const std::string wording =
            rnd.below(2) ? line : prefixes[rnd.below(prefixes.size())] + line;
        std::uint32_t last = PrefixList::npos;
        for (std::size_t i = 0; i < prefixes.size(); ++i)
            if (BeginsWith(wording, prefixes[i])) last = static_cast<std::uint32_t>(i);
        ASSERT_EQ(prefix_list.last_prefix_of(wording), last) << '"' << wording << '"';
    });
}

TEST(FastText, FieldsAreTheBlankSeparatedCut) {
    Random rnd(5);
    FieldSplitter splitter;
    std::vector<std::string_view> fields;
    on_lines(rnd, "  19\t-x", [&](const std::string& row) {
        const std::vector<std::string> want = plain_fields(row);
        splitter.split(row, fields);
        ASSERT_EQ(std::vector<std::string>(fields.begin(), fields.end()), want)
            << '"' << row << '"';
        const std::size_t limit = rnd.below(6);
        splitter.split(row, fields, limit);
        ASSERT_EQ(fields.size(), std::min(limit, want.size())) << '"' << row << '"';

        const auto at = [&](std::size_t k) { return k < want.size() ? want[k] : std::string(); };
        const auto aix = pick_fields<0, 11, 12>(row);
        ASSERT_EQ(aix[0], at(0)) << '"' << row << '"';
        ASSERT_EQ(aix[1], at(11)) << '"' << row << '"';
        ASSERT_EQ(aix[2], at(12)) << '"' << row << '"';
        const auto other = pick_fields<2, 5>(row);
        ASSERT_EQ(other[0], at(2)) << '"' << row << '"';
        ASSERT_EQ(other[1], at(5)) << '"' << row << '"';
    });
}
