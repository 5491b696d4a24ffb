#pragma once

// The text operations every parser of the program shares. Positions count
// from 1 and the clamping rules are those of the desktop tool this program's
// users know: a start below 1 counts as 1, a start past the end or a
// non-positive count gives the empty text. Parsers use these and never
// re-derive a cut with raw substr arithmetic.

#include <string>
#include <string_view>

namespace kavro {

// Position of the first occurrence of x in t, 0 when absent; an empty x or an
// empty t is never found.
int Pos(std::string_view x, std::string_view t);

// The offset of the first occurrence of x in t at or after offset `from`, or
// std::string_view::npos: t.find(x, from), for a non-empty x. Pos and the
// trace scan's rule searches run on it. Sixteen bytes of t are tested at a
// time for x's first and last byte together, so a line full of blanks or of
// x's first byte costs no more than any other.
std::size_t find_text(std::string_view t, std::string_view x, std::size_t from = 0);

inline bool Contains(std::string_view t, std::string_view x) {
    return Pos(x, t) > 0;
}
inline bool BeginsWith(std::string_view t, std::string_view x) {
    return !x.empty() && t.size() >= x.size() && t.substr(0, x.size()) == x;
}

// n characters of t from position p (see the clamping rules above).
std::string_view Copy(std::string_view t, long long p, long long n);

// Deletes n characters of t from position p; nothing when p is below 1 or past
// the end or n is not positive; an n past the end deletes to the end.
void Delete(std::string& t, long long p, long long n);

// The substring from (position of x) + 1 to the end: the whole of t when x
// does not occur.
std::string_view TextAfter(std::string_view t, std::string_view x);

// Trim-left / trim: characters with code 32 or less.
std::string_view TrimLeft(std::string_view t);
std::string_view TrimRight(std::string_view t);
std::string_view Trim(std::string_view t);

// The text with every blank (code 32) removed.
std::string RemoveBlanks(std::string_view t);

inline int Length(std::string_view t) {
    return static_cast<int>(t.size());
}

} // namespace kavro
