#include "osw_mpstat/mpstat_analysis.h"

#include "core/convert.h"
#include "core/text.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

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
bool has(std::string_view t, std::string_view x, std::size_t key) {
    if (t.size() < x.size()) return false;
    for (std::size_t from = key;;) {
        const std::size_t at = t.find(x[key], from);
        if (at == std::string_view::npos || at - key + x.size() > t.size()) return false;
        if (Copy(t, static_cast<long long>(at - key) + 1, length_of(x)) == x) return true;
        from = at + 1;
    }
}

// The blank-separated fields of a row, at most `limit` of them: a run of
// blanks separates two fields, and blanks at either end make no field. One
// pass over the characters: most fields are a digit or two long.
void split_fields(std::string_view text, std::vector<std::string_view>& out,
                  std::size_t limit = kAllFields) {
    out.clear();
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (out.size() < limit) {
        while (i < n && text[i] == ' ') ++i;
        if (i == n) break;
        std::size_t end = i;
        while (end < n && text[end] != ' ') ++end;
        out.push_back(Copy(text, static_cast<long long>(i) + 1, static_cast<long long>(end - i)));
        i = end;
    }
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
    // A row past the end of the table reads as the empty text.
    std::string_view row(int r) const {
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
            first_field(rest_from(text, static_cast<long long>(Pos("lcpu", text)) + 5));
        const int n = StrToInt(count);
        if (n > kMaxLogicalCpus) throw_not_integer(count);
        add_series_up_to(n);
        if (page_.cpu_num.count() > 0) page_.cpu_num.select(0);
    }

    // AIX CPU rows, up to a " U " or "ALL " row or the next marker.
    int read_aix_block(int r) {
        for (;; ++r) {
            const std::string_view text = row(r);
            if (is_marker(text)) return r;
            if (has(text, " U ", 1) || has(text, "ALL ", 0)) return r + 1;
            add_aix_point(text);
            // The last row is the empty append slot, never a CPU row.
            if (r + 1 >= last_) return r + 1;
        }
    }

    // "  0    0    0    0  164  113   58    1    0 100  182 19 28  0 52 ..."
    // The CPU number is field 1, user and system time fields 12 and 13.
    void add_aix_point(std::string_view text) {
        split_fields(text, fields_, 13);
        const int system = StrToInt(field(12));
        const int user = StrToInt(field(11));
        const int cpu = StrToInt(field(0));
        chart_.series(cpu).add_value(static_cast<double>(system) + user, label_);
    }

    // A Linux sysstat or Solaris header: fields "CPU", a user and a system
    // column, wherever they stand ("03:16:15 PM  CPU    %usr ..." or
    // "CPU minf mjf ... usr sys wt idl").
    bool read_header(std::string_view text) {
        if (!has(text, "CPU", 0)) return false;
        split_fields(text, fields_);
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
            if (is_marker(text)) return r;
            if (read_header(text)) {
                in_table = true;
                continue;
            }
            if (!in_table) continue;
            if (Trim(text).empty()) {
                in_table = false;
                continue;
            }
            split_fields(text, fields_, columns_.needed);
            if (fields_.front() == "Average:") continue;
            const std::string_view cpu = field(columns_.cpu);
            if (all_digits(cpu)) add_column_point(cpu);
        }
        return r;
    }

    void add_column_point(std::string_view cpu_text) {
        int cpu = 0;
        if (!TryStrToInt(cpu_text, cpu) || cpu >= kMaxLogicalCpus) throw_not_integer(cpu_text);
        const double system = StrToFloat(field(columns_.system));
        const double user = StrToFloat(field(columns_.user));
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
