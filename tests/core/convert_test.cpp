#include "core/convert.h"
#include "core/error.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

using namespace kavro;

TEST(Convert, WholeNumbers) {
    struct Case {
        const char* text;
        int want;
    } ok[] = {{"0", 0},
              {"42", 42},
              {"  -7", -7},
              {"+3", 3},
              {"$FF", 255},
              {"0x1f", 31},
              {"2147483647", INT32_MAX},
              {"-2147483648", INT32_MIN},
              {"007", 7}};
    for (const Case& c : ok) EXPECT_EQ(StrToInt(c.text), c.want) << c.text;

    const char* bad[] = {"",           " ",           "12 ", "1.5", "abc",
                         "2147483648", "-2147483649", "0x",  "$",   "99999999999999999999999",
                         "1e3",        "--1"};
    for (const char* text : bad) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}

TEST(Convert, RealNumbers) {
    struct Case {
        const char* text;
        double want;
    } ok[] = {{"123", 123}, {" 1.5 ", 1.5}, {"-0.25", -0.25}, {"1E3", 1000}, {"2.5e-2", 0.025},
              {".5", 0.5},  {"5.", 5},      {"+7", 7},        {"1e-400", 0}};
    for (const Case& c : ok) EXPECT_DOUBLE_EQ(StrToFloat(c.text), c.want) << c.text;

    const char* bad[] = {"",   "  ",  "abc", "1,5",   "inf",   "nan", "0x10",
                         "1e", "1e+", ".",   "1e400", "12abc", "1 2"};
    for (const char* text : bad) {
        try {
            StrToFloat(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(text) + "' is not a valid floating point value");
        }
    }
}

TEST(Convert, GeneralNumberFormat) {
    struct Case {
        double value;
        const char* want;
    } cases[] = {{150, "150"},
                 {3.5, "3.5"},
                 {0, "0"},
                 {-12, "-12"},
                 {0.1 + 0.2, "0.3"},
                 {1e20, "1E20"},
                 {1.5e-5, "1.5E-5"},
                 {0.0001, "0.0001"},
                 {123456789012345.0, "123456789012345"},
                 {1234567890123456.0, "1.23456789012346E15"},
                 {2.0 / 3.0, "0.666666666666667"},
                 {-0.5, "-0.5"}};
    for (const Case& c : cases) EXPECT_EQ(FloatToStr(c.value), c.want) << c.want;
}

TEST(Convert, TimeEncoding) {
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(EncodeTime(0, 0, 1, 0), 1.0 / 86400);
    for (auto [h, m, s] : {std::tuple{24, 0, 0}, {0, 60, 0}, {0, 0, 60}, {-1, 0, 0}}) {
        try {
            EncodeTime(h, m, s, 0);
            ADD_FAILURE() << h << ":" << m << ":" << s;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Invalid argument to time encode");
        }
    }
}

TEST(Convert, MessagesQuotingFileContentAreCut) {
    const std::string huge(100000, '7');
    try {
        StrToInt(huge);
        FAIL();
    } catch (const Error& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.size(), 203u);
        EXPECT_EQ(text.substr(0, 4), "'777");
        EXPECT_EQ(text.substr(200), "...");
    }
    // A "%s" in the text is quoted as it stands, never used as a format.
    try {
        StrToFloat("%s%n");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "'%s%n' is not a valid floating point value");
    }
}

// The short plain decimals of a trace are read without from_chars; every
// text must read as from_chars reads it, to the last bit.
TEST(Convert, ShortDecimalsReadAsTheGeneralReaderReadsThem) {
    std::mt19937_64 rng(42);
    const auto reference = [](const std::string& text) {
        std::string_view s = text;
        bool negative = false;
        if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
            negative = s[0] == '-';
            s.remove_prefix(1);
        }
        double v = 0;
        std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
        return negative ? -v : v;
    };
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        if (rng() % 4 == 0) text.push_back(rng() % 2 ? '-' : '+');
        const int digits = 1 + static_cast<int>(rng() % 17);
        const int point = static_cast<int>(rng() % (digits + 2)) - 1; // -1: none
        for (int d = 0; d < digits; ++d) {
            if (d == point) text.push_back('.');
            text.push_back(static_cast<char>('0' + rng() % 10));
        }
        if (point == digits) text.push_back('.');
        double got = 0;
        ASSERT_TRUE(TryStrToFloat(text, got)) << text;
        const double want = reference(text);
        ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0) << text;
    }
}

TEST(Convert, WholeNumbersAreWrittenAsTheGeneralFormatWritesThem) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 100000; ++i) {
        const int digits = 1 + static_cast<int>(rng() % 16);
        double v = static_cast<double>(rng() % 10000000000000000ull);
        v = std::trunc(v / std::pow(10.0, 16 - digits));
        if (rng() % 2) v = -v;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15G", v);
        std::string want = buf;
        // %G writes 1E+15 where the general format writes 1E15.
        if (const auto e = want.find("E+"); e != std::string::npos) want.erase(e + 1, 1);
        if (want.find('E') != std::string::npos) continue; // not a plain whole number
        ASSERT_EQ(FloatToStr(v), v == 0 ? "0" : want) << v;
    }
}
