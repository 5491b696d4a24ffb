#pragma once

// The trace line forms the profile reads, each cut into its parts. A reader
// returns false when the line is of its form but lacks a part the profile
// needs; the builder counts such lines as ignored. Which form a line is of
// is decided by its leading words alone (classify).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavro::profile::forms {

enum class Form {
    Other,      // passed over without a word
    Header,     // PARSING IN CURSOR #
    Call,       // PARSE #, EXEC #, FETCH #, CLOSE #, UNMAP #, SORT UNMAP #
    Lob,        // LOBWRITE: and the other LOB calls
    Wait,       // WAIT #
    Error,      // ERROR #
    ParseError, // PARSE ERROR #
    Xctend,     // XCTEND
    Session,    // *** [ ... ]
    Star,       // any other line beginning "*** " (a clock when a date follows)
    Stat,       // STAT #
};

// `call_kind` receives the CallKind of a Call line.
Form classify(std::string_view line, int& call_kind);

// A text of decimal digits only, within 64 bits.
std::optional<std::int64_t> whole(std::string_view text);
// An optional minus, then decimal digits, within 64 bits.
std::optional<std::int64_t> integer(std::string_view text);

// The cursor number of "<prefix>#N" followed by `after`; the rest of the
// line after it.
bool cursor_after(std::string_view line, std::size_t hash_at, char after, std::int64_t& cursor,
                  std::string_view& rest);

struct CallLine {
    std::int64_t cursor = 0; // 0 for a LOB call
    std::int64_t c = 0, e = 0, p = 0, cr = 0, cu = 0, mis = 0, r = 0, dep = 0, tim = 0;
};
// "KIND #N:name=value,..." or "LOBxxx: name=value,...". Needs e= and tim=.
bool read_call(std::string_view line, Form form, CallLine& out);

struct WaitLine {
    std::int64_t cursor = 0;
    std::string_view event;
    std::int64_t ela = 0;
    std::optional<std::int64_t> tim; // when the line ends with tim=<n>
    std::optional<std::int64_t> obj; // " obj#=<n>" then a blank or the end
};
bool read_wait(std::string_view line, WaitLine& out);

struct HeaderLine {
    std::int64_t cursor = 0;
    std::optional<std::int64_t> dep, tim, hv;
    std::optional<std::string_view> sqlid;
};
bool read_header(std::string_view line, HeaderLine& out);

struct ErrorLine {
    std::int64_t cursor = 0, err = 0, tim = 0;
};
// ERROR #N:err=<n> tim=<n> and PARSE ERROR #N:... err=<n> ... tim=<n>.
bool read_error(std::string_view line, Form form, ErrorLine& out);

struct XctendLine {
    std::int64_t rlbk = 0, rd_only = 0, tim = 0;
};
bool read_xctend(std::string_view line, XctendLine& out);

// "*** [ <text> ]": the text.
bool read_session(std::string_view line, std::string_view& id);

// "*** " followed directly by a date ("2014-08-09 18:35:23.373",
// "2019-07-09T09:57:07.703476-07:00"), maybe then a blank and more: the date
// as written.
bool read_clock(std::string_view line, std::string_view& wall);

// The whole number after the first "tim=" of the line that no letter, digit
// or underscore precedes.
std::optional<std::int64_t> first_tim(std::string_view line);

struct StatLine {
    std::int64_t cursor = 0;
    std::int64_t id = 0, cnt = 0, pid = 0, pos = 0, obj = 0;
    std::string_view op;
};
bool read_stat(std::string_view line, StatLine& out);

} // namespace kavro::profile::forms
