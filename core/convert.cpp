#include "core/convert.h"

#include "core/error.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kavro {

void throw_not_integer(std::string_view text) {
    throw Error(quoted_message("'", text, "' is not a valid integer value"));
}

void throw_not_float(std::string_view text) {
    throw Error(quoted_message("'", text, "' is not a valid floating point value"));
}

static int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool TryStrToInt(std::string_view t, int& value) {
    std::size_t i = 0;
    while (i < t.size() && t[i] == ' ') ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < t.size() && t[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= t.size()) return false;
    // Accumulate in 64 bits and stop as soon as the 32-bit range is left, so
    // a thousand-digit number costs nothing and never overflows.
    constexpr std::int64_t limit = 2147483648LL;
    std::int64_t acc = 0;
    for (; i < t.size(); ++i) {
        int d = base == 16 ? hex_digit(t[i]) : (t[i] >= '0' && t[i] <= '9' ? t[i] - '0' : -1);
        if (d < 0) return false;
        acc = acc * base + d;
        if (acc > limit) return false;
    }
    if (!negative && acc == limit) return false;
    value = static_cast<int>(negative ? -acc : acc);
    return true;
}

int StrToInt(std::string_view text) {
    int v = 0;
    if (!TryStrToInt(text, v)) throw_not_integer(text);
    return v;
}

bool TryStrToFloat(std::string_view t, double& value) {
    std::size_t b = 0, e = t.size();
    while (b < e && t[b] == ' ') ++b;
    while (e > b && t[e - 1] == ' ') --e;
    std::string_view s = t.substr(b, e - b);
    // Check the grammar ourselves: from_chars would also take "inf", "nan"
    // and hexadecimal floats, which are not numbers to this program's users.
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t mantissa = i;
    std::size_t digits = 0, fraction = 0;
    std::uint64_t whole = 0; // the digits as one integer while they fit
    // Eight digits at a time while there are eight (a trace's tim= values
    // have thirteen), then one at a time.
    while (s.size() - i >= 8 && digits + 8 <= 19) {
        std::uint64_t v;
        std::memcpy(&v, s.data() + i, 8);
        if (((v & 0xF0F0F0F0F0F0F0F0ull) |
             (((v + 0x0606060606060606ull) & 0xF0F0F0F0F0F0F0F0ull) >> 4)) != 0x3333333333333333ull)
            break;
        // The eight digits' value, first digit in the lowest byte.
        static_assert(std::endian::native == std::endian::little);
        v -= 0x3030303030303030ull;
        v = v * 10 + (v >> 8);
        v = (((v & 0x000000FF000000FFull) * 0x000F424000000064ull) +
             (((v >> 16) & 0x000000FF000000FFull) * 0x0000271000000001ull)) >>
            32;
        whole = whole * 100000000ull + static_cast<std::uint32_t>(v);
        i += 8, digits += 8;
    }
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        if (digits < 19) whole = whole * 10 + static_cast<std::uint64_t>(s[i] - '0');
        ++i, ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            if (digits < 19) whole = whole * 10 + static_cast<std::uint64_t>(s[i] - '0');
            ++i, ++digits, ++fraction;
        }
    }
    if (digits == 0) return false;
    if (i == s.size() && digits <= 15 && fraction <= 22) {
        // No exponent and at most 15 digits: the digits and the power of ten
        // are exact doubles, so one division is rounded once, as from_chars
        // rounds the decimal text. The common case of a trace's values.
        static constexpr double kTens[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                           1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        const double v = fraction == 0 ? static_cast<double>(whole)
                                       : static_cast<double>(whole) / kTens[fraction];
        value = negative ? -v : v;
        return true;
    }
    bool negative_exponent = false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            negative_exponent = s[i] == '-';
            ++i;
        }
        std::size_t exp_digits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++exp_digits;
        if (exp_digits == 0) return false;
    }
    if (i != s.size()) return false;
    double v = 0;
    const char* first = s.data() + mantissa;
    const char* last = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // A value too small to represent is zero; one too large is no number.
        if (!negative_exponent) return false;
        v = 0;
    } else if (ec != std::errc() || ptr != last) {
        return false;
    }
    value = negative ? -v : v;
    return true;
}

double StrToFloat(std::string_view text) {
    double v = 0;
    if (!TryStrToFloat(text, v)) throw_not_float(text);
    return v;
}

std::string FloatToStr(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";
    // A whole number of at most 15 digits is written digit for digit, which
    // is what the general path below gives for it.
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return IntToStr(static_cast<long long>(value));
    // 15 significant digits, rounded once; the decimal exponent of the
    // rounded value decides between plain and exponent form.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    const bool negative = sci.front() == '-';
    if (negative) sci.remove_prefix(1);
    const auto epos = sci.find('e');
    std::string digits;
    digits.push_back(sci[0]);
    for (char c : sci.substr(2, epos - 2)) digits.push_back(c);
    int exponent = std::atoi(std::string(sci.substr(epos + 1)).c_str());
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out;
    if (negative) out.push_back('-');
    const double magnitude = std::fabs(value);
    if (exponent >= 15 || magnitude < 0.0001) {
        out.push_back(digits[0]);
        if (digits.size() > 1) {
            out.push_back('.');
            out.append(digits, 1, std::string::npos);
        }
        out.push_back('E');
        out.append(std::to_string(exponent));
        return out;
    }
    if (exponent < 0) {
        out.append("0.");
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out.append(digits);
        return out;
    }
    const auto int_digits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= int_digits) {
        out.append(digits);
        out.append(int_digits - digits.size(), '0');
    } else {
        out.append(digits, 0, int_digits);
        out.push_back('.');
        out.append(digits, int_digits, std::string::npos);
    }
    return out;
}

std::string IntToStr(long long value) {
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

bool TryEncodeTime(int hours, int minutes, int seconds, int milliseconds, double& value) {
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59 ||
        milliseconds < 0 || milliseconds > 999)
        return false;
    const long long ms = ((hours * 60LL + minutes) * 60LL + seconds) * 1000LL + milliseconds;
    value = static_cast<double>(ms) / 86400000.0;
    return true;
}

double EncodeTime(int hours, int minutes, int seconds, int milliseconds) {
    double value = 0;
    if (!TryEncodeTime(hours, minutes, seconds, milliseconds, value))
        throw Error("Invalid argument to time encode");
    return value;
}

} // namespace kavro
