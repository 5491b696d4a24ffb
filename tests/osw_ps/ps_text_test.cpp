// The fast helpers of the ps loops against the general operations they
// stand in for: any difference would change a row, a point or a message.

#include "core/convert.h"
#include "core/error.h"
#include "core/text.h"
#include "osw_ps/ps.h"
#include "osw_ps/ps_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace kavro;
using namespace kavro::ps_detail;

namespace {

// The reading before the fast path: whole numbers first, then reals.
bool general_cpu_value(std::string_view text, double& v) {
    int whole = 0;
    if (TryStrToInt(text, whole)) {
        v = whole;
        return true;
    }
    return TryStrToFloat(text, v);
}

} // namespace

TEST(PsText, CpuValuesReadAsTheGeneralConversionReadsThem) {
    const char* texts[] = {"0",
                           "5",
                           "0.0",
                           "0.5",
                           "12.3",
                           "99.9",
                           "100",
                           "7.",
                           ".5",
                           "00012",
                           "0.1",
                           "1.7",
                           "33.33",
                           "123456789012345",
                           "1234567890123456",
                           "2147483648",
                           "0.000000000000001",
                           " 5",
                           "5 ",
                           "-1.5",
                           "+2",
                           "1e3",
                           "0x1F",
                           "$10",
                           "1.2.3",
                           "",
                           ".",
                           "-",
                           "5%",
                           "12,5"};
    for (const char* t : texts) {
        double expected = 0;
        const bool converts = general_cpu_value(t, expected);
        if (!converts) {
            EXPECT_THROW(cpu_value(t), Error) << t;
            continue;
        }
        EXPECT_EQ(cpu_value(t), expected) << t;
        EXPECT_EQ(NumberKey(t), NumberKey(std::string(" ") + t + "\t")) << t;
    }
    // Every one-decimal percentage ps prints, bit for bit.
    for (int tenths = 0; tenths <= 10000; ++tenths) {
        const std::string t = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
        double fast = -1;
        ASSERT_TRUE(plain_decimal(t, fast));
        EXPECT_EQ(fast, StrToFloat(t)) << t;
    }
}

TEST(PsText, MultiFindAnswersWhatASubstringSearchPerTextAnswers) {
    // Texts that share key bytes, overlap, repeat, sit at either end of a
    // line or straddle the sixteen-byte blocks; more distinct bytes than the
    // search has lanes.
    const std::vector<std::string> texts = {"zzz",   "OSWbb", "%CPU %MEM", "SNAP_INTERVAL",
                                            "VCPUS", "a",     "zz",        "qwertyuiopasdfgh",
                                            "~!",    "@#",    "^&",        "*(",
                                            ")_",    "+{",    "}|",        ""};
    const std::string alphabet = "azqOSWb%CPUMEV_ ~!@#^&*()+{}|.0123456789";
    std::mt19937 gen(7);
    const auto below = [&](std::size_t n) { return static_cast<std::size_t>(gen() % n); };
    ByteCounts counts{};
    for (char c : alphabet)
        counts[static_cast<unsigned char>(c)] = static_cast<std::uint32_t>(below(100));
    MultiFind find(counts);
    for (std::size_t i = 0; i < texts.size(); ++i) find.add(texts[i], 1u << (i % 5));
    for (int n = 0; n < 20000; ++n) {
        std::string line(below(70), ' ');
        for (char& c : line) c = alphabet[below(alphabet.size())];
        if (below(4) == 0) {
            const std::string& t = texts[below(texts.size())];
            line.insert(below(line.size() + 1), t);
        }
        unsigned expected = 0;
        for (std::size_t i = 0; i < texts.size(); ++i)
            if (Contains(line, texts[i])) expected |= 1u << (i % 5);
        ASSERT_EQ(find.found_in(line), expected) << '"' << line << '"';
    }
}

TEST(PsText, CutFieldIsRemoveBlanksOfCopy) {
    // Fields of up to eight bytes are read a word at a time: bytes next to
    // the blank's value, with the top bit set, or zero are no blanks.
    using namespace std::string_literals;
    const std::string lines[] = {"ora cle  12 34 0.5    x",
                                 "\xA0 !\x1F\0 \x80\xFF  \xDF\x21 ! \xA0\xA0"s};
    std::string scratch;
    for (const std::string& line : lines)
        for (long long start = -2; start <= static_cast<long long>(line.size()) + 2; ++start)
            for (long long count = -1; count <= 30; ++count)
                ASSERT_EQ(cut_field(line, start, count, scratch),
                          RemoveBlanks(Copy(line, start, count)))
                    << start << "," << count;
}
