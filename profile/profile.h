#pragma once

// The response-time profile of an extended SQL trace: where the time of each
// traced session went, by statement and by wait event, with the skew of the
// waits. It reads Oracle's own line forms and needs no rules file.
//
// A Builder takes the trace's lines in file order, one at a time, and keeps
// only sums, so a trace of any size is profiled in little memory; the
// command-line tool feeds it from the file in blocks, the window from the
// loaded trace_grid. All times are microseconds, as the trace writes them.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {
class StringTable;
}

namespace kavro::profile {

enum CallKind { kParse, kExec, kFetch, kClose, kUnmap, kSortUnmap, kCallKinds };
// "PARSE", "EXEC", "FETCH", "CLOSE", "UNMAP", "SORT UNMAP".
const char* call_kind_name(int kind);

// Whether a wait event is one a session waits on while nothing is asked of
// it (the client thinking, a timer): time the database did not spend.
bool is_idle_event(std::string_view event);

struct CallSums {
    std::int64_t count = 0, c = 0, e = 0, p = 0, cr = 0, cu = 0, mis = 0, r = 0;
    void add(const CallSums& o);
};

struct WaitSums {
    std::int64_t count = 0, time = 0, max = 0;
    void add(std::int64_t ela) {
        ++count;
        time += ela;
        if (ela > max) max = ela;
    }
};

struct EventWaits {
    std::string event;
    WaitSums sums;
};

// One line of a cursor's plan, from its STAT line.
struct PlanRow {
    std::int64_t id = 0, pid = 0, pos = 0, obj = 0, cnt = 0;
    std::string op; // the op='...' text, row-source figures included
};

struct Statement {
    std::string key; // the sqlid, "hv:<hv>" or "#<cursor>"
    std::optional<std::string> sqlid;
    std::optional<std::int64_t> hv;
    std::optional<std::int64_t> dep;
    std::optional<std::string> text;
    std::int64_t parses = 0;  // its PARSING IN CURSOR headers
    std::int64_t elapsed = 0; // e of all its calls
    std::array<CallSums, kCallKinds> calls{};
    std::vector<EventWaits> waits; // by time, largest first, then event
    std::vector<PlanRow> plan;     // the first plan seen for it

    std::int64_t cpu() const;
    std::int64_t wait_time() const;
    std::int64_t executions() const { return calls[kExec].count; }
    std::int64_t rows() const;
    std::int64_t logical_reads() const; // cr + cu
    std::int64_t disk_reads() const;    // p
    std::string_view first_line() const;
};

struct Session {
    std::string id;
    std::int64_t first = 0, last = 0;
};

// A row of the profile: CPU, a wait event, or unaccounted-for.
struct Component {
    std::string name;
    std::int64_t time = 0;
    std::optional<std::int64_t> count; // CPU and events
    std::optional<std::int64_t> max;   // events
    std::optional<bool> idle;          // events
};

struct ObjectWaits {
    std::int64_t obj = 0;
    std::string event;
    std::int64_t count = 0, time = 0;
};

struct Bucket {
    std::int64_t lo = 0, hi = 0, count = 0, time = 0;
};

struct Histogram {
    std::string event;
    std::vector<Bucket> buckets; // non-empty ones, by lo
};

struct ErrorCount {
    std::string kind; // "ERROR" or "PARSE ERROR"
    std::int64_t err = 0;
    std::optional<std::string> key;
    std::int64_t count = 0;
};

struct Gap {
    std::string session;
    std::int64_t after = 0, time = 0;
};

struct Clock {
    std::string wall;
    std::optional<std::int64_t> tim;
};

struct IgnoredLine {
    std::uint64_t number = 0; // from 1
    std::string text;         // cut at 200 bytes
};

struct Transactions {
    std::int64_t commits = 0, rollbacks = 0, read_only = 0;
};

struct Profile {
    std::int64_t response_time = 0;
    std::optional<std::int64_t> first, last;
    std::optional<Clock> clock;
    std::uint64_t ignored_lines = 0;
    std::vector<IgnoredLine> ignored; // the first few
    std::uint64_t lines = 0;
    std::vector<Session> sessions;     // by first appearance, timed ones only
    std::vector<Component> components; // by time, largest first, then name
    std::int64_t cpu = 0, cpu_calls = 0, wait_time = 0, unaccounted = 0;
    std::vector<Statement> statements; // by elapsed, largest first, then key
    std::vector<ObjectWaits> objects;  // by time, largest first, then obj, event
    std::vector<Histogram> histograms; // by event
    Transactions transactions;
    std::vector<ErrorCount> errors; // by count, largest first, then kind, err, key
    std::vector<Gap> gaps;          // the 10 largest, then by after

    const Statement* statement(std::string_view key) const;
    const Histogram* histogram(std::string_view event) const;
};

// Restricts every figure to lines whose tim falls in [from, to].
struct Window {
    std::optional<std::int64_t> from, to;
    bool empty() const { return !from && !to; }
    bool contains(std::int64_t tim) const { return (!from || tim >= *from) && (!to || tim <= *to); }
};

class Builder {
public:
    explicit Builder(Window window = {});
    ~Builder();
    Builder(const Builder&) = delete;
    Builder& operator=(const Builder&) = delete;

    void add_line(std::string_view line);
    // The profile of the lines given so far; the builder is spent after it.
    Profile finish();

private:
    struct State;
    std::unique_ptr<State> s_;
};

// Reads the file in blocks with the trace loader's line rules. Reports
// progress by bytes; throws kavro::Error when the file cannot be read.
Profile profile_file(const std::string& path, Window window = {});

// The rows of a loaded trace table (column 0, rows 1 to the last data row).
Profile profile_table(const StringTable& table, Window window = {});

// Turns a --from/--to text into a tim: seconds from `first` ("90", "1.5"),
// or a wall-clock time read against the clock pair ("2019-07-09 09:57:10",
// "2019-07-09T09:57:10.5", "09:57:10" on the clock's day). nullopt when the
// text is neither or the profile lacks what it needs.
std::optional<std::int64_t> window_tim(std::string_view text, const Profile& whole);

} // namespace kavro::profile
