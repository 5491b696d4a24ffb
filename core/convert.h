#pragma once

// Number conversions with the messages the user sees when a cell does not
// convert. All are locale-independent: the decimal separator is ".".

#include <string>
#include <string_view>

namespace kavro {

// Optional leading blanks, optional sign, decimal digits, or hexadecimal
// digits after "$" or "0x"; 32-bit range. Anything else, trailing blanks and
// the empty text included, throws "'%s' is not a valid integer value".
int StrToInt(std::string_view text);

// Same grammar, but reports failure instead of throwing.
bool TryStrToInt(std::string_view text, int& value);

// Optional surrounding blanks, optional sign, digits with an optional "." and
// an optional exponent. Anything else, the empty text and values beyond the
// double range included, throws "'%s' is not a valid floating point value".
double StrToFloat(std::string_view text);
bool TryStrToFloat(std::string_view text, double& value);

// General format, at most 15 significant digits, no trailing zeros, exponent
// form only past 15 integer digits or below 0.0001 in magnitude.
std::string FloatToStr(double value);

// Whole number to its decimal text.
std::string IntToStr(long long value);

// A time of day as a fraction of a day; hours above 23, minutes or seconds
// above 59 (or milliseconds above 999) throw "Invalid argument to time encode".
double EncodeTime(int hours, int minutes, int seconds, int milliseconds);
// Same, but reports an argument out of range instead of throwing.
bool TryEncodeTime(int hours, int minutes, int seconds, int milliseconds, double& value);

[[noreturn]] void throw_not_integer(std::string_view text);
[[noreturn]] void throw_not_float(std::string_view text);

} // namespace kavro
