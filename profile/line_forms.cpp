#include "profile/line_forms.h"

#include "profile/profile.h"

#include <limits>

namespace kavro::profile::forms {

namespace {

bool is_digit(char ch) {
    return ch >= '0' && ch <= '9';
}
bool is_word(char ch) {
    return is_digit(ch) || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == '_';
}

// Digits from `at`; false when there are none or they pass 64 bits. Up to
// nineteen digits fit an unsigned word, so the range is tested once at the
// end: this loop reads every tim, cursor number and figure of the trace.
bool digits_at(std::string_view s, std::size_t& at, std::int64_t& value) {
    const char* p = s.data() + at;
    const char* const begin = p;
    const char* const end = s.data() + s.size();
    std::uint64_t v = 0;
    while (p < end) {
        const unsigned d = static_cast<unsigned char>(*p) - unsigned('0');
        if (d > 9) break;
        v = v * 10 + d;
        if (++p - begin > 19) return false;
    }
    if (p == begin || v > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return false;
    at += static_cast<std::size_t>(p - begin);
    value = static_cast<std::int64_t>(v);
    return true;
}

// Calls f(name, value) for each "name=value" piece of `s` cut at `sep`.
template <class F> void each_pair(std::string_view s, char sep, F&& f) {
    std::size_t at = 0;
    while (at <= s.size()) {
        std::size_t end = s.find(sep, at);
        if (end == std::string_view::npos) end = s.size();
        const std::string_view piece = s.substr(at, end - at);
        const std::size_t eq = piece.find('=');
        if (eq != std::string_view::npos) f(piece.substr(0, eq), piece.substr(eq + 1));
        at = end + 1;
    }
}

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

constexpr std::string_view kHeader = "PARSING IN CURSOR #";

struct CallPrefix {
    std::string_view text;
    int kind;
};
constexpr CallPrefix kCalls[] = {
    {"PARSE #", kParse}, {"EXEC #", kExec},   {"FETCH #", kFetch},
    {"CLOSE #", kClose}, {"UNMAP #", kUnmap}, {"SORT UNMAP #", kSortUnmap},
};

} // namespace

std::optional<std::int64_t> whole(std::string_view text) {
    std::size_t at = 0;
    std::int64_t v = 0;
    if (!digits_at(text, at, v) || at != text.size()) return std::nullopt;
    return v;
}

std::optional<std::int64_t> integer(std::string_view text) {
    const bool minus = !text.empty() && text.front() == '-';
    auto v = whole(minus ? text.substr(1) : text);
    if (v && minus) *v = -*v;
    return v;
}

Form classify(std::string_view line, int& call_kind) {
    if (line.size() < 5) return Form::Other;
    switch (line[0]) {
    case 'P':
        if (line.starts_with(kHeader)) return Form::Header;
        if (line.starts_with("PARSE ERROR #")) return Form::ParseError;
        break;
    case 'E':
        if (line.starts_with("ERROR #")) return Form::Error;
        break;
    case 'W':
        if (line.starts_with("WAIT #")) return Form::Wait;
        return Form::Other;
    case 'X':
        if (line.starts_with("XCTEND") && (line.size() == 6 || line[6] == ' ')) return Form::Xctend;
        return Form::Other;
    case 'S':
        if (line.starts_with("STAT #")) return Form::Stat;
        break;
    case 'L':
        if (line.starts_with("LOB")) {
            std::size_t at = 3;
            while (at < line.size() && line[at] >= 'A' && line[at] <= 'Z') ++at;
            if (at > 3 && line.substr(at).starts_with(": ")) return Form::Lob;
        }
        return Form::Other;
    case '*':
        if (line.starts_with("*** [")) return Form::Session;
        if (line.starts_with("*** ")) return Form::Star;
        return Form::Other;
    default:
        break;
    }
    for (const CallPrefix& p : kCalls)
        if (line.starts_with(p.text)) {
            call_kind = p.kind;
            return Form::Call;
        }
    return Form::Other;
}

bool cursor_after(std::string_view line, std::size_t hash_at, char after, std::int64_t& cursor,
                  std::string_view& rest) {
    std::size_t at = hash_at + 1;
    if (!digits_at(line, at, cursor)) return false;
    if (at >= line.size() || line[at] != after) return false;
    rest = line.substr(at + 1);
    return true;
}

bool read_call(std::string_view line, Form form, CallLine& out) {
    std::string_view fields;
    out = CallLine{};
    if (form == Form::Lob) {
        fields = line.substr(line.find(": ") + 2);
    } else if (!cursor_after(line, line.find('#'), ':', out.cursor, fields)) {
        return false;
    }
    bool has_e = false, has_tim = false;
    each_pair(fields, ',', [&](std::string_view name, std::string_view text) {
        // Only the figures the profile uses are read (not og=, plh=, type=).
        if (name.empty() || name.size() > 3) return;
        const auto v = integer(text);
        if (!v) return;
        if (name == "c")
            out.c = *v;
        else if (name == "e")
            out.e = *v, has_e = *v >= 0;
        else if (name == "p")
            out.p = *v;
        else if (name == "cr")
            out.cr = *v;
        else if (name == "cu")
            out.cu = *v;
        else if (name == "mis")
            out.mis = *v;
        else if (name == "r")
            out.r = *v;
        else if (name == "dep")
            out.dep = *v;
        else if (name == "tim")
            out.tim = *v, has_tim = *v >= 0;
    });
    if (form == Form::Lob) out.dep = 0;
    return has_e && has_tim;
}

bool read_wait(std::string_view line, WaitLine& out) {
    out = WaitLine{};
    std::string_view rest;
    if (!cursor_after(line, 5, ':', out.cursor, rest)) return false;
    if (!rest.starts_with(" nam='")) return false;
    rest.remove_prefix(6);
    const std::size_t quote = rest.find('\'');
    if (quote == std::string_view::npos) return false;
    out.event = rest.substr(0, quote);
    rest.remove_prefix(quote + 1);
    // Releases up to 21c write "ela= 11", 23c writes "ela=11".
    if (!rest.starts_with(" ela=")) return false;
    std::size_t at = 5;
    while (at < rest.size() && rest[at] == ' ') ++at;
    if (!digits_at(rest, at, out.ela)) return false;
    rest.remove_prefix(at);

    // tim=<n> at the very end of the line.
    std::size_t end = rest.size();
    while (end > 0 && is_digit(rest[end - 1])) --end;
    if (end < rest.size() && end >= 4 && rest.substr(end - 4, 4) == "tim=")
        out.tim = whole(rest.substr(end));

    for (std::size_t pos = rest.find(" obj#="); pos != std::string_view::npos;
         pos = rest.find(" obj#=", pos + 1)) {
        std::size_t from = pos + 6, stop = from;
        if (stop < rest.size() && rest[stop] == '-') ++stop;
        while (stop < rest.size() && is_digit(rest[stop])) ++stop;
        if (stop < rest.size() && rest[stop] != ' ') continue;
        if (auto v = integer(rest.substr(from, stop - from))) {
            out.obj = v;
            break;
        }
    }
    return true;
}

bool read_header(std::string_view line, HeaderLine& out) {
    out = HeaderLine{};
    std::string_view rest;
    if (!cursor_after(line, kHeader.size() - 1, ' ', out.cursor, rest)) return false;
    each_pair(rest, ' ', [&](std::string_view name, std::string_view text) {
        if (name == "dep") {
            if (!out.dep) out.dep = integer(text);
        } else if (name == "tim") {
            if (!out.tim) out.tim = whole(text);
        } else if (name == "hv") {
            if (!out.hv) out.hv = whole(text);
        } else if (name == "sqlid" && !out.sqlid && text.size() > 2 && text.front() == '\'' &&
                   text.back() == '\'') {
            out.sqlid = text.substr(1, text.size() - 2);
        }
    });
    return true;
}

bool read_error(std::string_view line, Form form, ErrorLine& out) {
    out = ErrorLine{};
    std::string_view rest;
    if (!cursor_after(line, line.find('#'), ':', out.cursor, rest)) return false;
    std::optional<std::int64_t> err, tim;
    each_pair(rest, ' ', [&](std::string_view name, std::string_view text) {
        if (name == "err" && !err)
            err = whole(text);
        else if (name == "tim" && !tim)
            tim = whole(text);
    });
    (void)form;
    if (!err || !tim) return false;
    out.err = *err;
    out.tim = *tim;
    return true;
}

bool read_xctend(std::string_view line, XctendLine& out) {
    out = XctendLine{};
    std::optional<std::int64_t> rlbk, rd_only, tim;
    each_pair(line.substr(6), ',', [&](std::string_view name, std::string_view text) {
        name = trim_blanks(name);
        text = trim_blanks(text);
        if (name == "rlbk" && !rlbk)
            rlbk = whole(text);
        else if (name == "rd_only" && !rd_only)
            rd_only = whole(text);
        else if (name == "tim" && !tim)
            tim = whole(text);
    });
    if (!rlbk || !rd_only || !tim) return false;
    out.rlbk = *rlbk;
    out.rd_only = *rd_only;
    out.tim = *tim;
    return true;
}

bool read_session(std::string_view line, std::string_view& id) {
    if (line.size() < 8 || !line.starts_with("*** [ ") || !line.ends_with(" ]")) return false;
    id = line.substr(6, line.size() - 8);
    return true;
}

bool read_clock(std::string_view line, std::string_view& wall) {
    const std::string_view d = line.substr(4);
    // yyyy-mm-dd, a blank or T, hh:mm:ss
    constexpr std::string_view kShape = "dddd-dd-dd?dd:dd:dd";
    if (d.size() < kShape.size()) return false;
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const char want = kShape[i];
        if (want == 'd'   ? !is_digit(d[i])
            : want == '?' ? (d[i] != ' ' && d[i] != 'T')
                          : d[i] != want)
            return false;
    }
    std::size_t at = kShape.size();
    if (at < d.size() && d[at] == '.') {
        std::size_t digits = at + 1;
        while (digits < d.size() && is_digit(d[digits])) ++digits;
        if (digits > at + 1) at = digits;
    }
    // A time zone: Z, +hh:mm, -hh:mm or +hhmm.
    if (at < d.size() && d[at] == 'Z') {
        ++at;
    } else if (at < d.size() && (d[at] == '+' || d[at] == '-')) {
        std::size_t z = at + 1, n = 0;
        while (z < d.size() && (is_digit(d[z]) || (d[z] == ':' && n == 2))) {
            if (d[z] != ':') ++n;
            ++z;
        }
        if (n == 4 || n == 2) at = z;
    }
    if (at < d.size() && d[at] != ' ') return false;
    wall = d.substr(0, at);
    return true;
}

std::optional<std::int64_t> first_tim(std::string_view line) {
    for (std::size_t pos = line.find("tim="); pos != std::string_view::npos;
         pos = line.find("tim=", pos + 1)) {
        if (pos > 0 && is_word(line[pos - 1])) continue;
        std::size_t at = pos + 4;
        std::int64_t v = 0;
        if (digits_at(line, at, v)) return v;
    }
    return std::nullopt;
}

bool read_stat(std::string_view line, StatLine& out) {
    out = StatLine{};
    std::string_view rest;
    if (!cursor_after(line, 5, ' ', out.cursor, rest)) return false;
    const std::size_t op = rest.find("op='");
    std::string_view figures = rest.substr(0, op);
    if (op != std::string_view::npos) {
        std::string_view text = rest.substr(op + 4);
        const std::size_t close = text.rfind('\'');
        out.op = close == std::string_view::npos ? text : text.substr(0, close);
    }
    bool has_id = false;
    each_pair(figures, ' ', [&](std::string_view name, std::string_view text) {
        const auto v = integer(text);
        if (!v) return;
        if (name == "id")
            out.id = *v, has_id = true;
        else if (name == "cnt")
            out.cnt = *v;
        else if (name == "pid")
            out.pid = *v;
        else if (name == "pos")
            out.pos = *v;
        else if (name == "obj")
            out.obj = *v;
    });
    return has_id;
}

} // namespace kavro::profile::forms
