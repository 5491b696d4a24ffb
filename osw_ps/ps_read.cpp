#include "osw_ps/ps_read.h"

#include "core/convert.h"
#include "osw_ps/ps.h"

namespace kavro {

namespace {

constexpr unsigned kMarker = 1, kExcluded = 2;
constexpr int kBatchRows = 16;

} // namespace

PsReader::PsReader(const StringTable& raw, const TraceRulesPage& rules)
    : raw_(raw), rules_(rules), find_(count_bytes(raw)) {
    find_.add("zzz", kMarker);
    for (int r = 1; r < rules.tracerules_grid7.RowCount(); ++r)
        find_.add(rules.tracerules_grid7.Cell(0, r), kExcluded);
    time_ = times_.intern("");
}

// Inlined where the rows are cut: the common field is a part of the line.
[[gnu::always_inline]] inline std::string_view PsReader::cut(std::string_view line, long long start,
                                                             long long count) {
    const std::string_view field = cut_without_blanks(line, start, count, scratch_);
    // A field with a blank inside was gathered into the scratch text, which
    // the next cut overwrites: kept where it stays.
    if (field.data() != scratch_.data() || field.empty()) return field;
    return gathered_.text(gathered_.intern(field));
}

bool PsReader::read(PsBatch& batch) {
    batch.records.clear();
    const int end = raw_.RowCount();
    const int stop = end - next_ > kBatchRows ? next_ + kBatchRows : end;
    batch.first = next_;
    batch.end = stop;
    for (; next_ < stop; ++next_) {
        const std::string_view line = raw_.Cell(0, next_);
        // The time is taken before the exclusion test: a marker that an
        // exclusion matches still opens its snapshot.
        const unsigned found = find_.found_in(line);
        if (found & kMarker) {
            time_ = times_.intern(marker_time(line));
            time_text_ = times_.text(time_);
        }
        if (found & kExcluded) continue;
        if (!at_)
            at_ = Positions{StrToInt(rules_.psuser_posb.text), StrToInt(rules_.psuser_pose.text),
                            StrToInt(rules_.psproc_posb.text), StrToInt(rules_.psproc_pose.text),
                            StrToInt(rules_.pscpu_posb.text),  StrToInt(rules_.pscpu_pose.text)};
        const std::string_view cpu = cut(line, at_->cpu_start, at_->cpu_count);
        if (cpu == "-") continue;
        const std::string_view owner = cut(line, at_->user_start, at_->user_count);
        const std::string_view pid = cut(line, at_->proc_start, at_->proc_count);
        double value = 0;
        const bool number = read_plain_decimal(cpu, value) || try_cpu_value(cpu, value);
        batch.records.push_back({next_, time_, time_text_, pid, owner, cpu, value, number});
    }
    return next_ < end;
}

} // namespace kavro
