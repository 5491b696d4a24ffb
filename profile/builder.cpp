// The profile builder: one pass over the lines, sums only.
#include "profile/line_forms.h"
#include "profile/pending_calls.h"
#include "profile/profile.h"

#include "core/hash.h"

#include <algorithm>
#include <bit>
#include <map>
#include <tuple>
#include <unordered_map>

namespace kavro::profile {

using forms::Form;

namespace {

constexpr std::size_t kIgnoredKept = 10;
constexpr std::size_t kGapsKept = 10;
constexpr std::int64_t kGapThreshold = 1'000'000;
constexpr std::size_t kPlanRowsKept = 2000;
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr int kBuckets = 64;

struct SessionState {
    std::string id;
    bool timed = false;
    std::int64_t first = 0, last = 0;
    std::int64_t latest_end = 0;                             // of the timed lines read so far
    std::unordered_map<std::int64_t, std::uint32_t> cursors; // cursor -> statement
    std::map<std::int64_t, PendingCalls> pending;            // by depth
};

struct EventState {
    std::string name;
    WaitSums sums;
    std::array<Bucket, kBuckets> buckets{};
};

struct StatementState {
    Statement s;
    bool plan_done = false;
    std::int64_t plan_last_id = 0;
};

struct GapState {
    std::uint32_t session;
    std::int64_t after, time;
};

struct PairHash {
    std::size_t operator()(const std::pair<std::int64_t, std::uint32_t>& k) const noexcept {
        return static_cast<std::size_t>(
            hash_text(std::string_view(reinterpret_cast<const char*>(&k.first), 8)) ^
            (std::uint64_t(k.second) * 0x9E3779B97F4A7C15ull));
    }
};

int bucket_of(std::int64_t ela) {
    return ela <= 0 ? 0 : std::bit_width(static_cast<std::uint64_t>(ela));
}

} // namespace

struct Builder::State {
    Window window;
    std::uint64_t line_no = 0;
    std::uint64_t ignored = 0;
    std::vector<IgnoredLine> ignored_kept;

    std::vector<SessionState> sessions;
    TextMap<std::uint32_t> session_ids;
    std::uint32_t session = 0;

    std::vector<StatementState> statements;
    TextMap<std::uint32_t> statement_ids;

    std::vector<EventState> events;
    TextMap<std::uint32_t> event_ids;
    std::uint32_t last_event = kNone;

    std::unordered_map<std::uint64_t, WaitSums> statement_waits; // statement << 32 | event
    std::unordered_map<std::pair<std::int64_t, std::uint32_t>, WaitSums, PairHash> objects;
    std::map<std::tuple<int, std::int64_t, std::optional<std::string>>, std::int64_t> errors;
    std::vector<GapState> gaps;
    Transactions transactions;

    std::int64_t cpu = 0, cpu_calls = 0;

    bool in_text = false;
    std::uint32_t text_statement = kNone; // whose text is being read, when first
    std::string text;

    bool clock_seen = false;
    bool clock_paired = false;
    Clock clock;

    State() { session_for(""); }

    std::uint32_t session_for(std::string_view id) {
        if (auto it = session_ids.find(id); it != session_ids.end()) return it->second;
        const auto n = static_cast<std::uint32_t>(sessions.size());
        sessions.emplace_back().id = std::string(id);
        session_ids.emplace(std::string(id), n);
        return n;
    }

    std::uint32_t statement_for(std::string_view key) {
        if (auto it = statement_ids.find(key); it != statement_ids.end()) return it->second;
        const auto n = static_cast<std::uint32_t>(statements.size());
        statements.emplace_back().s.key = std::string(key);
        statement_ids.emplace(std::string(key), n);
        return n;
    }

    // The statement cursor #N of this session belongs to; kNone for #0.
    std::uint32_t cursor_statement(std::int64_t cursor) {
        if (cursor == 0) return kNone;
        auto& map = sessions[session].cursors;
        if (auto it = map.find(cursor); it != map.end()) return it->second;
        const std::uint32_t st = statement_for("#" + std::to_string(cursor));
        map.emplace(cursor, st);
        return st;
    }

    // The statement of the cursor without making one for it.
    std::optional<std::string> cursor_key(std::int64_t cursor) {
        if (cursor == 0) return std::nullopt;
        auto& map = sessions[session].cursors;
        if (auto it = map.find(cursor); it != map.end()) return statements[it->second].s.key;
        return "#" + std::to_string(cursor);
    }

    std::uint32_t event_for(std::string_view name) {
        if (last_event != kNone && events[last_event].name == name) return last_event;
        auto it = event_ids.find(name);
        if (it == event_ids.end()) {
            const auto n = static_cast<std::uint32_t>(events.size());
            events.emplace_back().name = std::string(name);
            it = event_ids.emplace(std::string(name), n).first;
        }
        return last_event = it->second;
    }

    void ignore(std::string_view line) {
        ++ignored;
        if (ignored_kept.size() < kIgnoredKept)
            ignored_kept.push_back({line_no, std::string(line.substr(0, 200))});
    }

    // A line that spans [start, end] of the current session.
    void timed(std::int64_t start, std::int64_t end) {
        SessionState& ss = sessions[session];
        if (!ss.timed) {
            ss.timed = true;
            ss.first = start;
            ss.last = end;
            ss.latest_end = end;
            return;
        }
        if (start - ss.latest_end > kGapThreshold) {
            gaps.push_back({session, ss.latest_end, start - ss.latest_end});
            if (gaps.size() > 4096) trim_gaps();
        }
        ss.latest_end = std::max(ss.latest_end, end);
        ss.first = std::min(ss.first, start);
        ss.last = std::max(ss.last, end);
    }

    void trim_gaps() {
        std::sort(gaps.begin(), gaps.end(), [](const GapState& a, const GapState& b) {
            return std::tie(b.time, a.after, a.session) < std::tie(a.time, b.after, b.session);
        });
        if (gaps.size() > kGapsKept) gaps.resize(kGapsKept);
    }

    void top_level(PendingCalls::Resolved r) {
        cpu += r.top_cpu;
        cpu_calls += r.top_count;
    }

    void call(const forms::CallLine& c, int kind, bool lob) {
        if (!window.contains(c.tim)) return;
        const std::int64_t start = c.tim - c.e;
        timed(start, c.tim);

        // Nesting: this call claims the pending calls of greater depth.
        auto& pending = sessions[session].pending;
        for (auto it = pending.upper_bound(c.dep); it != pending.end();)
            top_level(it->second.resolve(start)), it = pending.erase(it);
        if (c.dep <= 0) {
            cpu += c.c;
            ++cpu_calls;
        } else {
            pending[c.dep].add(c.tim, c.c);
        }

        if (lob) return;
        const std::uint32_t st = cursor_statement(c.cursor);
        if (st == kNone) return;
        Statement& s = statements[st].s;
        CallSums& k = s.calls[static_cast<std::size_t>(kind)];
        ++k.count;
        k.c += c.c;
        k.e += c.e;
        k.p += c.p;
        k.cr += c.cr;
        k.cu += c.cu;
        k.mis += c.mis;
        k.r += c.r;
        s.elapsed += c.e;
    }

    void wait(const forms::WaitLine& w) {
        if (w.tim) {
            if (!window.contains(*w.tim)) return;
            timed(*w.tim - w.ela, *w.tim);
        } else if (!window.empty()) {
            return;
        }
        const std::uint32_t ev = event_for(w.event);
        EventState& e = events[ev];
        e.sums.add(w.ela);
        Bucket& b = e.buckets[static_cast<std::size_t>(bucket_of(w.ela))];
        ++b.count;
        b.time += w.ela;
        if (const std::uint32_t st = cursor_statement(w.cursor); st != kNone)
            statement_waits[std::uint64_t(st) << 32 | ev].add(w.ela);
        if (w.obj && *w.obj >= 0 && *w.obj != 4294967295LL) {
            WaitSums& o = objects[{*w.obj, ev}];
            ++o.count;
            o.time += w.ela;
        }
    }

    void header(const forms::HeaderLine& h) {
        std::string key;
        if (h.sqlid && !h.sqlid->empty())
            key = std::string(*h.sqlid);
        else if (h.hv)
            key = "hv:" + std::to_string(*h.hv);
        else
            key = "#" + std::to_string(h.cursor);
        const std::uint32_t st = statement_for(key);
        sessions[session].cursors[h.cursor] = st;
        Statement& s = statements[st].s;
        if (h.tim ? window.contains(*h.tim) : window.empty()) ++s.parses;
        if (!s.sqlid && h.sqlid && !h.sqlid->empty()) s.sqlid = std::string(*h.sqlid);
        if (!s.hv && h.hv) s.hv = h.hv;
        if (!s.dep && h.dep) s.dep = h.dep;
        in_text = true;
        text.clear();
        text_statement = s.text ? kNone : st;
        if (text_statement != kNone) s.text = std::string();
    }

    void text_line(std::string_view line) {
        if (line == "END OF STMT") {
            in_text = false;
            if (text_statement != kNone) statements[text_statement].s.text = std::move(text);
            text_statement = kNone;
            text = std::string();
            return;
        }
        if (text_statement == kNone) return;
        if (text_lines++ > 0) text.push_back('\n');
        text.append(line);
    }
    std::uint64_t text_lines = 0;

    void error(const forms::ErrorLine& e, bool parse) {
        if (!window.contains(e.tim)) return;
        timed(e.tim, e.tim);
        std::optional<std::string> key;
        if (!parse) key = cursor_key(e.cursor);
        ++errors[{parse ? 1 : 0, e.err, std::move(key)}];
    }

    void xctend(const forms::XctendLine& x) {
        if (!window.contains(x.tim)) return;
        timed(x.tim, x.tim);
        if (x.rlbk == 1)
            ++transactions.rollbacks;
        else
            ++transactions.commits;
        if (x.rd_only == 1) ++transactions.read_only;
    }

    void stat(const forms::StatLine& st) {
        if (st.cursor == 0) return;
        auto& map = sessions[session].cursors;
        const auto it = map.find(st.cursor);
        if (it == map.end()) return;
        StatementState& s = statements[it->second];
        if (s.plan_done) return;
        if (!s.s.plan.empty() && st.id <= s.plan_last_id) {
            s.plan_done = true;
            return;
        }
        if (s.s.plan.size() >= kPlanRowsKept) return;
        s.plan_last_id = st.id;
        s.s.plan.push_back({st.id, st.pid, st.pos, st.obj, st.cnt, std::string(st.op)});
    }

    void line(std::string_view line) {
        ++line_no;
        if (in_text) {
            if (text_statement != kNone || line == "END OF STMT") text_line(line);
            return;
        }
        int kind = 0;
        const Form form = forms::classify(line, kind);
        switch (form) {
        case Form::Other:
            break;
        case Form::Header: {
            forms::HeaderLine h;
            if (forms::read_header(line, h)) {
                text_lines = 0;
                header(h);
            } else {
                ignore(line);
            }
            break;
        }
        case Form::Call:
        case Form::Lob: {
            forms::CallLine c;
            if (forms::read_call(line, form, c))
                call(c, kind, form == Form::Lob);
            else
                ignore(line);
            break;
        }
        case Form::Wait: {
            forms::WaitLine w;
            if (forms::read_wait(line, w))
                wait(w);
            else
                ignore(line);
            break;
        }
        case Form::Error:
        case Form::ParseError: {
            forms::ErrorLine e;
            if (forms::read_error(line, form, e))
                error(e, form == Form::ParseError);
            else
                ignore(line);
            break;
        }
        case Form::Xctend: {
            forms::XctendLine x;
            if (forms::read_xctend(line, x))
                xctend(x);
            else
                ignore(line);
            break;
        }
        case Form::Session: {
            std::string_view id;
            if (forms::read_session(line, id))
                session = session_for(id);
            else
                ignore(line);
            break;
        }
        case Form::Star: {
            std::string_view wall;
            if (!clock_seen && forms::read_clock(line, wall)) {
                clock_seen = true;
                clock.wall = std::string(wall);
                return; // its own tim= does not pair with it
            }
            break;
        }
        case Form::Stat: {
            forms::StatLine st;
            if (forms::read_stat(line, st)) stat(st);
            break;
        }
        }
        if (clock_seen && !clock_paired) {
            if (auto t = forms::first_tim(line)) {
                clock.tim = t;
                clock_paired = true;
            }
        }
    }

    Profile finish();
};

Profile Builder::State::finish() {
    Profile p;
    p.lines = line_no;
    p.ignored_lines = ignored;
    p.ignored = std::move(ignored_kept);
    if (in_text && text_statement != kNone) statements[text_statement].s.text = std::move(text);

    // Calls no smaller depth claimed are top-level.
    for (SessionState& ss : sessions)
        for (auto& [depth, list] : ss.pending) top_level(list.release());
    p.cpu = cpu;
    p.cpu_calls = cpu_calls;

    for (const SessionState& ss : sessions) {
        if (!ss.timed) continue;
        p.sessions.push_back({ss.id, ss.first, ss.last});
        p.response_time += ss.last - ss.first;
        p.first = p.first ? std::min(*p.first, ss.first) : ss.first;
        p.last = p.last ? std::max(*p.last, ss.last) : ss.last;
    }
    if (clock_seen) p.clock = clock;

    p.components.push_back({"CPU", cpu, cpu_calls, std::nullopt, std::nullopt});
    for (const EventState& e : events) {
        p.wait_time += e.sums.time;
        p.components.push_back(
            {e.name, e.sums.time, e.sums.count, e.sums.max, is_idle_event(e.name)});
    }
    p.unaccounted = p.response_time - cpu - p.wait_time;
    p.components.push_back(
        {"unaccounted-for", p.unaccounted, std::nullopt, std::nullopt, std::nullopt});
    std::sort(p.components.begin(), p.components.end(), [](const Component& a, const Component& b) {
        return a.time != b.time ? a.time > b.time : a.name < b.name;
    });

    for (auto& [k, w] : statement_waits) {
        Statement& s = statements[static_cast<std::size_t>(k >> 32)].s;
        s.waits.push_back({events[static_cast<std::size_t>(k & 0xFFFFFFFFu)].name, w});
    }
    statement_waits.clear();
    p.statements.reserve(statements.size());
    for (StatementState& st : statements) {
        Statement& s = st.s;
        bool used = s.parses > 0 || !s.waits.empty();
        for (const CallSums& c : s.calls) used = used || c.count > 0;
        // Outside a window every statement met is listed; inside one, those
        // with something in it.
        if (!used && !window.empty()) continue;
        std::sort(s.waits.begin(), s.waits.end(), [](const EventWaits& a, const EventWaits& b) {
            return a.sums.time != b.sums.time ? a.sums.time > b.sums.time : a.event < b.event;
        });
        p.statements.push_back(std::move(s));
    }
    std::sort(p.statements.begin(), p.statements.end(), [](const Statement& a, const Statement& b) {
        return a.elapsed != b.elapsed ? a.elapsed > b.elapsed : a.key < b.key;
    });

    for (const auto& [k, w] : objects)
        p.objects.push_back({k.first, events[k.second].name, w.count, w.time});
    std::sort(p.objects.begin(), p.objects.end(), [](const ObjectWaits& a, const ObjectWaits& b) {
        return std::tie(b.time, a.obj, a.event) < std::tie(a.time, b.obj, b.event);
    });

    for (const EventState& e : events) {
        Histogram h{e.name, {}};
        for (int i = 0; i < kBuckets; ++i) {
            const Bucket& b = e.buckets[static_cast<std::size_t>(i)];
            if (b.count == 0) continue;
            const std::int64_t lo = i == 0 ? 0 : std::int64_t(1) << (i - 1);
            const std::int64_t hi = i == 0 ? 1 : (i == 63 ? INT64_MAX : std::int64_t(1) << i);
            h.buckets.push_back({lo, hi, b.count, b.time});
        }
        p.histograms.push_back(std::move(h));
    }
    std::sort(p.histograms.begin(), p.histograms.end(),
              [](const Histogram& a, const Histogram& b) { return a.event < b.event; });

    p.transactions = transactions;
    for (auto& [k, n] : errors)
        p.errors.push_back(
            {std::get<0>(k) ? "PARSE ERROR" : "ERROR", std::get<1>(k), std::get<2>(k), n});
    std::stable_sort(p.errors.begin(), p.errors.end(),
                     [](const ErrorCount& a, const ErrorCount& b) {
                         if (a.count != b.count) return a.count > b.count;
                         return std::tie(a.kind, a.err, a.key) < std::tie(b.kind, b.err, b.key);
                     });

    trim_gaps();
    for (const GapState& g : gaps) p.gaps.push_back({sessions[g.session].id, g.after, g.time});
    return p;
}

Builder::Builder(Window window) : s_(std::make_unique<State>()) {
    s_->window = window;
}
Builder::~Builder() = default;

void Builder::add_line(std::string_view line) {
    s_->line(line);
}

Profile Builder::finish() {
    return s_->finish();
}

} // namespace kavro::profile
