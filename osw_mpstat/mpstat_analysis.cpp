#include "osw_mpstat/mpstat_analysis.h"

#include "core/convert.h"
#include "core/progress.h"
#include "core/text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kavro {

namespace {

constexpr std::array<Colour, 20> kCpuColours = {
    rgb(0xFF0000),    // clRed
    rgb(0x00FF00),    // clLime
    rgb(0xFFFF00),    // clYellow
    rgb(0x0000FF),    // clBlue
    rgb(0xFF00FF),    // clFuchsia
    rgb(0x00FFFF),    // clAqua
    rgb(0xC0DCC0),    // clMoneyGreen
    rgb(0xA6CAF0),    // clSkyBlue
    rgb(0xFFFBF0),    // clCream
    kClBackground,    // clBackground
    rgb(0x000000),    // clBlack
    rgb(0x800000),    // clMaroon
    rgb(0x008000),    // clGreen
    rgb(0x808000),    // clOlive
    rgb(0x000080),    // clNavy
    rgb(0x800080),    // clPurple
    rgb(0x008080),    // clTeal
    rgb(0x808080),    // clGray
    rgb(0xC0C0C0),    // clSilver
    kClActiveCaption, // clActiveCaption
};

constexpr std::size_t kAllFields = std::numeric_limits<std::size_t>::max();

long long length_of(std::string_view t) {
    return static_cast<long long>(t.size());
}

// The text from position p to the end.
std::string_view rest_from(std::string_view t, long long p) {
    return Copy(t, p, length_of(t));
}

std::string_view skip_blanks(std::string_view t) {
    const std::size_t first = t.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view()
                                           : rest_from(t, static_cast<long long>(first) + 1);
}

// Contains(t, x) for the markers tested on every row. The rows are mostly
// blanks, and a search led by the marker's first character would stop at
// every blank of " U "; one led by a character that rows seldom hold, x[key],
// stops only where that character stands.
//
// Returns where the first such x found starts, npos for none; with key 0
// that is the leftmost x, as Pos finds it.
std::size_t find_at(std::string_view t, std::string_view x, std::size_t key) {
    if (t.size() < x.size()) return std::string_view::npos;
    for (std::size_t from = key;;) {
        const std::size_t at = t.find(x[key], from);
        if (at == std::string_view::npos || at - key + x.size() > t.size())
            return std::string_view::npos;
        // The markers are a few bytes long: compared here rather than by a
        // call to memcmp.
        const char* p = t.data() + (at - key);
        std::size_t i = 0;
        while (i < x.size() && p[i] == x[i]) ++i;
        if (i == x.size()) return at - key;
        from = at + 1;
    }
}

bool has(std::string_view t, std::string_view x, std::size_t key) {
    return find_at(t, x, key) != std::string_view::npos;
}

// Bit i set where byte base + i of `text` is not a blank, for the 64 bytes
// from `base` (bits past the end clear).
inline std::uint64_t non_blanks(std::string_view text, std::size_t base) {
    const std::size_t n = std::min<std::size_t>(64, text.size() - base);
    const char* p = text.data() + base;
#if defined(__SSE2__)
    char padded[64];
    if (n < 64) {
        std::memset(padded, ' ', sizeof padded);
        // An empty row may have no storage at all: memcpy takes no null.
        if (n > 0) std::memcpy(padded, p, n);
        p = padded;
    }
    const __m128i blank = _mm_set1_epi8(' ');
    std::uint64_t bits = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(block, blank));
        bits |= static_cast<std::uint64_t>(~mask & 0xFFFF) << (16 * k);
    }
    return bits;
#else
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (p[i] != ' ') bits |= std::uint64_t(1) << i;
    return bits;
#endif
}

// Where fields begin (rising) and end (falling) in the 64 bytes from
// `base`, bits past the end clear; `carry` says whether the byte before the
// block is not a blank, and is updated for the next block.
struct Edges {
    std::uint64_t rising, falling;
};
inline Edges field_edges(std::string_view text, std::size_t base, std::uint64_t& carry) {
    const std::uint64_t nb = non_blanks(text, base);
    const std::uint64_t before = (nb << 1) | carry;
    std::uint64_t falling = ~nb & before;
    const std::size_t here = std::min<std::size_t>(64, text.size() - base);
    if (here < 64) falling &= (std::uint64_t(1) << here) - 1;
    carry = nb >> 63;
    return {nb & ~before, falling};
}

// The blank-separated fields of a row, at most `limit` of them: a run of
// blanks separates two fields, and blanks at either end make no field. The
// row is read 64 bytes at a time as a mask of its non-blank bytes; the
// rising edges of the mask are the fields' starts and the falling edges
// their ends, which come in turn, so the k-th end closes the k-th field and
// the two are collected apart, a few operations a field.
class FieldSplitter {
public:
    void split(std::string_view text, std::vector<std::string_view>& out,
               std::size_t limit = kAllFields) {
        const std::size_t size = text.size();
        // A row of n bytes has at most n / 2 + 1 fields.
        const std::size_t cap = std::min(limit, size / 2 + 1);
        if (starts_.size() < cap) {
            starts_.resize(cap);
            ends_.resize(cap);
        }
        std::size_t* const starts = starts_.data();
        std::size_t* const ends = ends_.data();
        std::size_t ns = 0, ne = 0;
        std::uint64_t carry = 0; // 1 when the byte before the block is not a blank
        for (std::size_t base = 0; base < size && ne < cap; base += 64) {
            auto [rising, falling] = field_edges(text, base, carry);
            for (; rising != 0 && ns < cap; rising &= rising - 1)
                starts[ns++] = base + static_cast<std::size_t>(std::countr_zero(rising));
            for (; falling != 0 && ne < cap; falling &= falling - 1)
                ends[ne++] = base + static_cast<std::size_t>(std::countr_zero(falling));
        }
        // A field still open at the end of the row ends with it.
        if (ne < ns) ends[ne++] = size;
        out.resize(ns);
        for (std::size_t k = 0; k < ns; ++k)
            out[k] = std::string_view(text.data() + starts[k], ends[k] - starts[k]);
    }

private:
    std::vector<std::size_t> starts_, ends_;
};

// A 64-bit mask with the running count of its set bits kept per byte, to
// find its k-th set bit without clearing the k lower ones one at a time.
class EdgeCounts {
public:
    explicit EdgeCounts(std::uint64_t m) : m_(m) {
        constexpr std::uint64_t k55 = 0x5555555555555555, k33 = 0x3333333333333333,
                                k0F = 0x0F0F0F0F0F0F0F0F;
        std::uint64_t c = m - ((m >> 1) & k55);
        c = (c & k33) + ((c >> 2) & k33);
        c = (c + (c >> 4)) & k0F;
        // Byte i: the set bits in bytes 0 to i, at most 64, so no byte carries.
        prefix_ = c * kOnes;
    }
    unsigned count() const { return static_cast<unsigned>(prefix_ >> 56); }
    std::size_t first() const { return static_cast<std::size_t>(std::countr_zero(m_)); }
    // The set bit after bit i; there must be one.
    std::size_t next(std::size_t i) const {
        return static_cast<std::size_t>(std::countr_zero(m_ & (~std::uint64_t(1) << i)));
    }
    // Bit index of the k-th set bit from 0; k must be below count().
    std::size_t select(unsigned k) const {
        // A byte's high bit is left set where its running count exceeds k.
        const std::uint64_t above = ((prefix_ | kHighs) - kOnes * (k + 1)) & kHighs;
        const int byte = std::countr_zero(above) >> 3;
        const unsigned before =
            byte == 0 ? 0 : static_cast<unsigned>((prefix_ >> (8 * byte - 8)) & 0xFF);
        auto bits = static_cast<unsigned>((m_ >> (8 * byte)) & 0xFF);
        for (unsigned r = k - before; r > 0; --r) bits &= bits - 1;
        return static_cast<std::size_t>(8 * byte + std::countr_zero(bits));
    }

private:
    static constexpr std::uint64_t kOnes = 0x0101010101010101, kHighs = 0x8080808080808080;
    std::uint64_t m_;
    std::uint64_t prefix_;
};

// Fields 1, 12 and 13 of an AIX CPU row (the CPU number, user and system
// time), each empty when the row has fewer fields: the edges of the same
// mask as FieldSplitter's, counted but kept only for the three fields.
struct AixFields {
    std::string_view cpu, user, system;
};
AixFields aix_fields(std::string_view text) {
    // Rows of the usual widths close field 13 within their first 64 bytes:
    // the k-th rising and falling edges of that one block are then the k-th
    // field's bounds. A row shorter than the block is padded with blanks, so
    // a field running to its end closes at the row's size, as below.
    {
        const std::uint64_t nb = non_blanks(text, 0);
        const EdgeCounts rising(nb & ~(nb << 1));
        const EdgeCounts falling(~nb & (nb << 1));
        if (falling.count() > 12) {
            const std::size_t s11 = rising.select(11), e11 = falling.select(11);
            const std::size_t s12 = rising.next(s11), e12 = falling.next(e11);
            const std::size_t s0 = rising.first(), e0 = falling.first();
            return {text.substr(s0, e0 - s0), text.substr(s11, e11 - s11),
                    text.substr(s12, e12 - s12)};
        }
    }
    constexpr std::size_t kLast = 12; // index of the last field wanted
    std::size_t start[3] = {}, stop[3] = {};
    std::size_t ns = 0, ne = 0; // fields started and ended so far
    const std::size_t size = text.size();
    std::uint64_t carry = 0;
    const auto slot = [](std::size_t k) { return k == 0 ? 0 : k == 11 ? 1 : k == 12 ? 2 : 3; };
    for (std::size_t base = 0; base < size && ne <= kLast; base += 64) {
        auto [rising, falling] = field_edges(text, base, carry);
        for (; rising != 0 && ns <= kLast; rising &= rising - 1, ++ns)
            if (const int k = slot(ns); k < 3)
                start[k] = base + static_cast<std::size_t>(std::countr_zero(rising));
        for (; falling != 0 && ne <= kLast; falling &= falling - 1, ++ne)
            if (const int k = slot(ne); k < 3)
                stop[k] = base + static_cast<std::size_t>(std::countr_zero(falling));
    }
    if (ne < ns) {
        if (const int k = slot(ne); k < 3) stop[k] = size;
        ++ne;
    }
    const auto field = [&](std::size_t k, int at) {
        return k < ns ? text.substr(start[at], stop[at] - start[at]) : std::string_view();
    };
    return {field(0, 0), field(11, 1), field(12, 2)};
}

// StrToInt for the CPU rows' small numbers: one to nine digits read here,
// anything else (signs, blanks, hexadecimal, errors) by StrToInt itself.
[[gnu::noinline]] int row_int_slow(std::string_view t) {
    return StrToInt(t);
}
inline int row_int(std::string_view t) {
    if (t.empty() || t.size() > 9) return row_int_slow(t);
    int v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return row_int_slow(t);
        v = v * 10 + (c - '0');
    }
    return v;
}

// StrToFloat for the Linux and Solaris columns ("27.73"): up to fifteen
// digits with a point among them are read here, anything else by StrToFloat
// itself. Such a mantissa and its power of ten are exact doubles, so their
// quotient is the correctly rounded value, the one StrToFloat finds.
double row_float(std::string_view t) {
    static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (t.empty() || t.size() > 16) return StrToFloat(t);
    std::uint64_t m = 0;
    std::size_t point = t.size(), digits = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            m = m * 10 + static_cast<unsigned>(c - '0');
            ++digits;
        } else if (c == '.' && point == t.size()) {
            point = i;
        } else {
            return StrToFloat(t);
        }
    }
    if (digits == 0 || digits > 15) return StrToFloat(t);
    const std::size_t decimals = point == t.size() ? 0 : t.size() - point - 1;
    return static_cast<double>(m) / kTens[decimals];
}

// The markers an AIX CPU row is tested for, found in one pass: the row holds
// "zzz" (a snapshot marker), or " U " or "ALL " (the end of the block).
// Sixteen bytes at a time are compared with "z", "U" and "A"; only where one
// of them stands is the text around it compared. CPU rows are digits and
// blanks, so most rows never get that far.
constexpr unsigned kMarkerRow = 1, kEndRow = 2;
unsigned aix_row_marks(std::string_view t) {
    using Bytes16 = unsigned char __attribute__((vector_size(16)));
    const auto at = [&](std::size_t i, std::string_view x) {
        return i + x.size() <= t.size() && t.compare(i, x.size(), x) == 0;
    };
    unsigned marks = 0;
    const auto look = [&](std::size_t i) {
        switch (t[i]) {
        case 'z':
            if (at(i, "zzz")) marks |= kMarkerRow;
            break;
        case 'U':
            if (i > 0 && at(i - 1, " U ")) marks |= kEndRow;
            break;
        case 'A':
            if (at(i, "ALL ")) marks |= kEndRow;
            break;
        default:
            break;
        }
    };
    const auto has_key = [](const char* p) {
        Bytes16 b;
        std::memcpy(&b, p, 16);
        const Bytes16 hits = (b == 'z') | (b == 'U') | (b == 'A');
        std::uint64_t halves[2];
        std::memcpy(halves, &hits, 16);
        return (halves[0] | halves[1]) != 0;
    };
    std::size_t i = 0;
    for (; i + 16 <= t.size(); i += 16)
        if (has_key(t.data() + i))
            for (std::size_t j = i; j < i + 16; ++j) look(j);
    if (i < t.size() && t.size() >= 16) {
        // The last 16 bytes, overlapping those already seen: looking at a
        // byte twice sets no other mark.
        const std::size_t from = t.size() - 16;
        if (has_key(t.data() + from))
            for (std::size_t j = from; j < t.size(); ++j) look(j);
    } else if (i < t.size()) {
        char tail[16] = {};
        std::memcpy(tail, t.data() + i, t.size() - i);
        if (has_key(tail))
            for (; i < t.size(); ++i) look(i);
    }
    return marks;
}

// Whether t holds a or b anywhere, sixteen bytes at a time: the Linux and
// Solaris rows are tested for "zzz" and "CPU" only when they hold a "z" or a
// "C", which their CPU rows seldom do.
bool holds_either(std::string_view t, char a, char b) {
    using Bytes16 = unsigned char __attribute__((vector_size(16)));
    const auto hit = [&](const char* p) {
        Bytes16 v;
        std::memcpy(&v, p, 16);
        const Bytes16 hits =
            (v == static_cast<unsigned char>(a)) | (v == static_cast<unsigned char>(b));
        std::uint64_t halves[2];
        std::memcpy(halves, &hits, 16);
        return (halves[0] | halves[1]) != 0;
    };
    if (t.size() < 16)
        return t.find(a) != std::string_view::npos || t.find(b) != std::string_view::npos;
    std::size_t i = 0;
    for (; i + 16 <= t.size(); i += 16)
        if (hit(t.data() + i)) return true;
    return i < t.size() && hit(t.data() + t.size() - 16);
}

std::string_view first_field(std::string_view text) {
    text = skip_blanks(text);
    const long long blank = Pos(" ", text);
    return blank == 0 ? text : Copy(text, 1, blank - 1);
}

bool all_digits(std::string_view t) {
    if (t.empty()) return false;
    for (char c : t)
        if (c < '0' || c > '9') return false;
    return true;
}

bool is_marker(std::string_view row) {
    return has(row, "zzz", 0);
}

// The eight characters from two before the first ":", so "10:00:01" out of
// "zzz ***Mon Jun 6 10:00:01 CDT 2016"; from the start when there is no ":".
std::string time_label(std::string_view marker) {
    return RemoveBlanks(Copy(marker, static_cast<long long>(Pos(":", marker)) - 2, 8));
}

// Where the CPU, user and system figures stand in the rows under a Linux or
// Solaris header, counted in blank-separated fields.
struct Columns {
    std::size_t cpu = 0;
    std::size_t user = 0;
    std::size_t system = 0;
    std::size_t needed = 0; // fields to split off a row to reach all three
};

class MpstatReader {
public:
    explicit MpstatReader(MpstatPage& page)
        : page_(page), chart_(page.cpu_util_chart), last_(page.mpstat_grid.RowCount() - 1) {}

    void run() {
        int r = 1;
        while (r <= last_) {
            const std::string_view text = row(r);
            if (!is_marker(text)) {
                ++r;
                continue;
            }
            label_ = time_label(text);
            r = read_snapshot(r + 1);
        }
    }

private:
    // A row past the end of the table reads as the empty text. Every row
    // read goes through here, so here the reading reports its progress.
    std::string_view row(int r) const {
        progress_step(static_cast<std::uint64_t>(r), static_cast<std::uint64_t>(last_),
                      "Anlayze OSW File");
        return r <= last_ ? page_.mpstat_grid.Cell(0, r) : std::string_view();
    }

    // Each read_* returns the row at which the search for the next snapshot
    // marker goes on.
    int read_snapshot(int r) {
        bool configured = false;
        for (; r <= last_; ++r) {
            const std::string_view text = row(r);
            if (is_marker(text)) return r; // a snapshot with no CPU rows
            if (has(text, "lcpu", 0)) {
                read_cpu_count(text);
                configured = true;
            }
            if (has(text, "cpu ", 0)) return read_aix_block(r + 1);
            if (!configured && read_header(text)) return read_column_block(r + 1);
        }
        // The table ended before any header: the first CPU row is the empty
        // text past the end, which fails as a number like any empty field.
        return read_aix_block(r);
    }

    // AIX: "System configuration: lcpu=8 ent=0.50 ..."
    void read_cpu_count(std::string_view text) {
        const std::string_view count =
            first_field(rest_from(text, static_cast<long long>(find_at(text, "lcpu", 0)) + 6));
        const int n = StrToInt(count);
        if (n > kMaxLogicalCpus) throw_not_integer(count);
        add_series_up_to(n);
        if (page_.cpu_num.count() > 0) page_.cpu_num.select(0);
    }

    // AIX CPU rows, up to a " U " or "ALL " row or the next marker.
    int read_aix_block(int r) {
        for (;; ++r) {
            const std::string_view text = row(r);
            const unsigned marks = aix_row_marks(text);
            if (marks & kMarkerRow) return r;
            if (marks & kEndRow) return r + 1;
            add_aix_point(text);
            // The last row is the empty append slot, never a CPU row.
            if (r + 1 >= last_) return r + 1;
        }
    }

    // "  0    0    0    0  164  113   58    1    0 100  182 19 28  0 52 ..."
    // The CPU number is field 1, user and system time fields 12 and 13.
    void add_aix_point(std::string_view text) {
        const AixFields f = aix_fields(text);
        const int system = row_int(f.system);
        const int user = row_int(f.user);
        const int cpu = row_int(f.cpu);
        chart_.series(cpu).add_value(static_cast<double>(system) + user, label_);
    }

    // A Linux sysstat or Solaris header: fields "CPU", a user and a system
    // column, wherever they stand ("03:16:15 PM  CPU    %usr ..." or
    // "CPU minf mjf ... usr sys wt idl").
    bool read_header(std::string_view text) {
        if (!has(text, "CPU", 0)) return false;
        splitter_.split(text, fields_);
        constexpr std::size_t none = kAllFields;
        std::size_t cpu = none, user = none, system = none;
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            const std::string_view f = fields_[i];
            if (cpu == none && f == "CPU") cpu = i;
            if (user == none && (f == "%usr" || f == "%user" || f == "usr")) user = i;
            if (system == none && (f == "%sys" || f == "%system" || f == "sys")) system = i;
        }
        if (cpu == none || user == none || system == none) return false;
        columns_ = {cpu, user, system, std::max({cpu, user, system}) + 1};
        return true;
    }

    // Linux and Solaris CPU rows, up to the next marker. A header repeated
    // for the next interval is read afresh. An empty row ends the table
    // under the header: what sysstat prints after it without a header of its
    // own (interrupt counts, NUMA nodes) has a CPU column but no user or
    // system time.
    int read_column_block(int r) {
        bool in_table = true;
        for (; r <= last_; ++r) {
            const std::string_view text = row(r);
            const bool keys = holds_either(text, 'z', 'C');
            if (keys && is_marker(text)) return r;
            if (keys && read_header(text)) {
                in_table = true;
                continue;
            }
            if (!in_table) continue;
            if (Trim(text).empty()) {
                in_table = false;
                continue;
            }
            splitter_.split(text, fields_, columns_.needed);
            if (fields_.front() == "Average:") continue;
            const std::string_view cpu = field(columns_.cpu);
            if (all_digits(cpu)) add_column_point(cpu);
        }
        return r;
    }

    void add_column_point(std::string_view cpu_text) {
        int cpu = 0;
        if (!TryStrToInt(cpu_text, cpu) || cpu >= kMaxLogicalCpus) throw_not_integer(cpu_text);
        const double system = row_float(field(columns_.system));
        const double user = row_float(field(columns_.user));
        if (cpu >= chart_.series_count()) {
            add_series_up_to(cpu + 1);
            page_.cpu_num.select(0);
        }
        chart_.series(cpu).add_value(user + system, label_);
    }

    void add_series_up_to(int n) {
        while (chart_.series_count() < n) {
            Series& s = chart_.add_series(SeriesKind::Line);
            const int i = chart_.series_count() - 1;
            const std::string number = IntToStr(i);
            s.set_title("CPU# " + number);
            page_.cpu_num.add(number);
            if (const Colour c = cpu_series_colour(i + 1); c != kAutoColour) s.set_colour(c);
        }
    }

    std::string_view field(std::size_t i) const {
        return i < fields_.size() ? fields_[i] : std::string_view();
    }

    MpstatPage& page_;
    Chart& chart_;
    const int last_;
    std::string label_;
    Columns columns_;
    std::vector<std::string_view> fields_;
    FieldSplitter splitter_;
};

} // namespace

Colour cpu_series_colour(int n) {
    if (n < 1 || n > static_cast<int>(kCpuColours.size())) return kAutoColour;
    return kCpuColours[static_cast<std::size_t>(n - 1)];
}

void analyse_mpstat(MpstatPage& page) {
    // A new analysis starts from a clean chart, so analysing twice draws
    // what analysing once does.
    page.cpu_util_chart.remove_all_series();
    page.cpu_num.clear();
    MpstatReader(page).run();
    page.mpstat_page.active_tab = page.mpstat_page.tab_index("TabSheet11");
}

} // namespace kavro
