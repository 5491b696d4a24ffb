#include "profile/profile.h"

#include "core/line_reader.h"
#include "core/progress.h"
#include "core/string_table.h"
#include "profile/line_forms.h"
#include "profile/wall_clock.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kavro::profile {

const char* call_kind_name(int kind) {
    static const char* const kNames[] = {"PARSE", "EXEC", "FETCH", "CLOSE", "UNMAP", "SORT UNMAP"};
    return kind >= 0 && kind < kCallKinds ? kNames[kind] : "";
}

bool is_idle_event(std::string_view event) {
    static constexpr std::string_view kIdle[] = {
        "SQL*Net message from client",
        "SQL*Net message from dblink",
        "PL/SQL lock timer",
        "pipe get",
        "jobq slave wait",
        "rdbms ipc message",
        "pmon timer",
        "smon timer",
        "PX Idle Wait",
        "Streams AQ: waiting for messages in the queue",
        "wait for unread message on broadcast channel",
        "single-task message",
        "virtual circuit wait",
        "dispatcher timer",
        "class slave wait",
    };
    return std::find(std::begin(kIdle), std::end(kIdle), event) != std::end(kIdle);
}

void CallSums::add(const CallSums& o) {
    count += o.count;
    c += o.c;
    e += o.e;
    p += o.p;
    cr += o.cr;
    cu += o.cu;
    mis += o.mis;
    r += o.r;
}

std::int64_t Statement::cpu() const {
    std::int64_t n = 0;
    for (const CallSums& k : calls) n += k.c;
    return n;
}
std::int64_t Statement::wait_time() const {
    std::int64_t n = 0;
    for (const EventWaits& w : waits) n += w.sums.time;
    return n;
}
std::int64_t Statement::rows() const {
    std::int64_t n = 0;
    for (const CallSums& k : calls) n += k.r;
    return n;
}
std::int64_t Statement::logical_reads() const {
    std::int64_t n = 0;
    for (const CallSums& k : calls) n += k.cr + k.cu;
    return n;
}
std::int64_t Statement::disk_reads() const {
    std::int64_t n = 0;
    for (const CallSums& k : calls) n += k.p;
    return n;
}
std::string_view Statement::first_line() const {
    if (!text) return {};
    std::string_view t = *text;
    while (!t.empty() && (t.front() == '\n' || t.front() == ' ' || t.front() == '\t'))
        t.remove_prefix(1);
    return t.substr(0, t.find('\n'));
}

const Statement* Profile::statement(std::string_view key) const {
    for (const Statement& s : statements)
        if (s.key == key) return &s;
    return nullptr;
}

const Histogram* Profile::histogram(std::string_view event) const {
    for (const Histogram& h : histograms)
        if (h.event == event) return &h;
    return nullptr;
}

Profile profile_file(const std::string& path, Window window) {
    LineReader reader(path);
    Builder builder(window);
    std::string_view line;
    while (reader.next(line)) {
        builder.add_line(line);
        progress_step(reader.bytes_consumed(), reader.file_size(), path);
    }
    return builder.finish();
}

Profile profile_table(const StringTable& table, Window window) {
    Builder builder(window);
    int rows = table.RowCount();
    // The append slot of a table still open is no line of the file.
    if (rows > 1 && table.Cell(0, rows - 1).empty()) --rows;
    for (int r = 1; r < rows; ++r) {
        builder.add_line(table.Cell(0, r));
        progress_step(static_cast<std::uint64_t>(r), static_cast<std::uint64_t>(rows), "Profile");
    }
    return builder.finish();
}

std::optional<std::int64_t> window_tim(std::string_view text, const Profile& whole) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    // Seconds from the start.
    if (text.find(':') == std::string_view::npos && text.find('-', 1) == std::string_view::npos) {
        char* end = nullptr;
        const std::string s(text);
        const double secs = std::strtod(s.c_str(), &end);
        if (end != s.c_str() + s.size() || !std::isfinite(secs) || !whole.first)
            return std::nullopt;
        return *whole.first + static_cast<std::int64_t>(std::llround(secs * 1e6));
    }
    if (!whole.clock || !whole.clock->tim) return std::nullopt;
    const auto at = read_wall(text);
    const auto clock = read_wall(whole.clock->wall);
    if (!at || !clock) return std::nullopt;
    const std::int64_t days = at->has_date ? at->days : clock->days;
    const std::int64_t delta = (days - clock->days) * 86400000000LL + at->micros - clock->micros;
    return *whole.clock->tim + delta;
}

} // namespace kavro::profile
