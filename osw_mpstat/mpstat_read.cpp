#include "osw_mpstat/mpstat_read.h"

#include "core/convert.h"
#include "core/text.h"
#include "osw_mpstat/mpstat_analysis.h"

#include <algorithm>

namespace kavro {

namespace {

// What a row holds: a snapshot marker, the end of an AIX block (" U " or
// "ALL "), the AIX configuration ("lcpu") or header ("cpu "), a Linux or
// Solaris header ("CPU").
constexpr unsigned kMarkerRow = 1, kEndRow = 2, kConfigRow = 4, kAixHeader = 8, kColumnHeader = 16;
// Records a batch gathers before it is handed on: whole snapshots until it
// holds this many, so the records stay in the nearest cache. Rows read
// without a record (a file with no markers, long runs between them) end a
// batch too, so the progress the batches report keeps moving.
constexpr std::size_t kBatchRecords = 64;
constexpr int kBatchRows = 16384;

// The first blank-separated field of a text.
std::string_view first_field(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    text.remove_prefix(first);
    const int blank = Pos(" ", text);
    return blank == 0 ? text : Copy(text, 1, blank - 1);
}

bool all_digits(std::string_view t) {
    if (t.empty()) return false;
    for (char c : t)
        if (c < '0' || c > '9') return false;
    return true;
}

// StrToInt and StrToFloat for the CPU rows' figures, the plain ones read
// inline.
int row_int(std::string_view t) {
    int v = 0;
    return read_plain_int(t, v) ? v : StrToInt(t);
}
double row_float(std::string_view t) {
    double v = 0;
    return read_plain_decimal(t, v) ? v : StrToFloat(t);
}

} // namespace

MpstatReader::MpstatReader(const StringTable& raw)
    : raw_(raw), last_(raw.RowCount() - 1), counts_(count_bytes(raw)), aix_marks_(counts_),
      marker_(counts_), config_(counts_), aix_header_(counts_), column_header_(counts_) {
    aix_marks_.add("zzz", kMarkerRow);
    aix_marks_.add(" U ", kEndRow);
    aix_marks_.add("ALL ", kEndRow);
    marker_.add("zzz", kMarkerRow);
    config_.add("lcpu", kConfigRow);
    aix_header_.add("cpu ", kAixHeader);
    column_header_.add("CPU", kColumnHeader);
    // A Linux or Solaris row is tested for "zzz" and "CPU" only when it holds
    // a "z" or a "C", which their CPU rows seldom do.
    column_keys_.add('z');
    column_keys_.add('C');
}

// A row past the end of the table reads as the empty text.
std::string_view MpstatReader::row(int r) const {
    return r <= last_ ? raw_.Cell(0, r) : std::string_view();
}

bool MpstatReader::read(MpstatBatch& batch) {
    batch.records.clear();
    out_ = &batch.records;
    const int first = next_;
    while (next_ <= last_ && batch.records.size() < kBatchRecords && next_ - first < kBatchRows) {
        const std::string_view text = row(next_);
        if (!marker_.found_in(text)) {
            ++next_;
            continue;
        }
        label_ = labels_.text(labels_.intern(marker_time(text)));
        next_ = read_snapshot(next_ + 1);
    }
    batch.end = next_;
    return next_ <= last_;
}

// Each read_* returns the row at which the search for the next snapshot
// marker goes on.
int MpstatReader::read_snapshot(int r) {
    bool configured = false;
    for (; r <= last_; ++r) {
        const std::string_view text = row(r);
        if (marker_.found_in(text)) return r; // a snapshot with no CPU rows
        if (config_.found_in(text)) {
            read_cpu_count(r, text);
            configured = true;
        }
        if (aix_header_.found_in(text)) return read_aix_block(r + 1);
        if (!configured && column_header_.found_in(text) && read_header(text))
            return read_column_block(r + 1);
    }
    // The table ended before any header: the first CPU row is the empty
    // text past the end, which fails as a number like any empty field.
    return read_aix_block(r);
}

// AIX: "System configuration: lcpu=8 ent=0.50 ..."
void MpstatReader::read_cpu_count(int r, std::string_view text) {
    // The figure after "lcpu" and the character after it (its "=").
    const std::string_view count =
        first_field(Copy(text, Pos("lcpu", text) + 5, static_cast<long long>(text.size())));
    const int n = StrToInt(count);
    if (n > kMaxLogicalCpus) throw_not_integer(count);
    out_->push_back({MpstatRecord::Kind::CpuCount, r, n, 0, {}});
}

// AIX CPU rows, up to a " U " or "ALL " row or the next marker.
int MpstatReader::read_aix_block(int r) {
    for (;; ++r) {
        const std::string_view text = row(r);
        const unsigned marks = aix_marks_.found_in(text);
        if (marks & kMarkerRow) return r;
        if (marks & kEndRow) return r + 1;
        read_aix_point(r, text);
        // The last row is the empty append slot, never a CPU row.
        if (r + 1 >= last_) return r + 1;
    }
}

// "  0    0    0    0  164  113   58    1    0 100  182 19 28  0 52 ..."
// The CPU number is field 1, user and system time fields 12 and 13.
void MpstatReader::read_aix_point(int r, std::string_view text) {
    const auto [cpu_text, user_text, system_text] = pick_fields<0, 11, 12>(text);
    const int system = row_int(system_text);
    const int user = row_int(user_text);
    const int cpu = row_int(cpu_text);
    out_->push_back(
        {MpstatRecord::Kind::AixPoint, r, cpu, static_cast<double>(system) + user, label_});
}

// A Linux sysstat or Solaris header: fields "CPU", a user and a system
// column, wherever they stand ("03:16:15 PM  CPU    %usr ..." or
// "CPU minf mjf ... usr sys wt idl").
bool MpstatReader::read_header(std::string_view text) {
    splitter_.split(text, fields_);
    constexpr std::size_t none = FieldSplitter::kAll;
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

// Linux and Solaris CPU rows, up to the next marker. A header repeated for
// the next interval is read afresh. An empty row ends the table under the
// header: what sysstat prints after it without a header of its own
// (interrupt counts, NUMA nodes) has a CPU column but no user or system time.
int MpstatReader::read_column_block(int r) {
    bool in_table = true;
    for (; r <= last_; ++r) {
        const std::string_view text = row(r);
        const bool keys = column_keys_.in(text);
        if (keys && marker_.found_in(text)) return r;
        if (keys && column_header_.found_in(text) && read_header(text)) {
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
        if (all_digits(cpu)) read_column_point(r, cpu);
    }
    return r;
}

void MpstatReader::read_column_point(int r, std::string_view cpu_text) {
    int cpu = 0;
    if (!TryStrToInt(cpu_text, cpu) || cpu >= kMaxLogicalCpus) throw_not_integer(cpu_text);
    const double system = row_float(field(columns_.system));
    const double user = row_float(field(columns_.user));
    out_->push_back({MpstatRecord::Kind::ColumnPoint, r, cpu, user + system, label_});
}

} // namespace kavro
