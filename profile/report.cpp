#include "profile/report.h"

#include "profile/wall_clock.h"

#include <nlohmann/json.hpp>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace kavro::profile {

namespace {

using Json = nlohmann::ordered_json;

template <class T> Json or_null(const std::optional<T>& v) {
    return v ? Json(*v) : Json(nullptr);
}

Json wait_json(const EventWaits& w) {
    return Json{
        {"event", w.event}, {"count", w.sums.count}, {"time", w.sums.time}, {"max", w.sums.max}};
}

std::string fmt(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string pad(std::string s, std::size_t width, bool left = false) {
    if (s.size() >= width) return s;
    return left ? s + std::string(width - s.size(), ' ') : std::string(width - s.size(), ' ') + s;
}

std::string share(std::int64_t part, std::int64_t whole) {
    if (whole == 0) return "";
    return fmt("%.1f%%", 100.0 * static_cast<double>(part) / static_cast<double>(whole));
}

} // namespace

std::string format_time(std::int64_t us) {
    const auto v = static_cast<double>(us);
    if (std::llabs(us) >= 1000000) return fmt("%.3f s", v / 1e6);
    return fmt("%.3f ms", v / 1e3);
}

std::string format_seconds(std::int64_t us) {
    return fmt("%.6f", static_cast<double>(us) / 1e6);
}

std::string wall_time(const Profile& p, std::int64_t tim) {
    if (!p.clock || !p.clock->tim) return {};
    const auto base = read_wall(p.clock->wall);
    if (!base) return {};
    return write_wall(*base, tim - *p.clock->tim);
}

std::string to_json(const Profile& p) {
    Json j;
    j["response_time"] = p.response_time;
    j["first"] = or_null(p.first);
    j["last"] = or_null(p.last);
    j["clock"] =
        p.clock ? Json{{"wall", p.clock->wall}, {"tim", or_null(p.clock->tim)}} : Json(nullptr);
    j["ignored_lines"] = p.ignored_lines;
    Json& sessions = j["sessions"] = Json::array();
    for (const Session& s : p.sessions)
        sessions.push_back({{"id", s.id}, {"first", s.first}, {"last", s.last}});
    Json& profile = j["profile"] = Json::array();
    for (const Component& c : p.components)
        profile.push_back({{"component", c.name},
                           {"time", c.time},
                           {"count", or_null(c.count)},
                           {"max", or_null(c.max)},
                           {"idle", or_null(c.idle)}});
    Json& statements = j["statements"] = Json::array();
    for (const Statement& s : p.statements) {
        Json calls = Json::object();
        for (int k = 0; k < kCallKinds; ++k) {
            const CallSums& c = s.calls[static_cast<std::size_t>(k)];
            if (c.count == 0) continue;
            calls[call_kind_name(k)] = {{"count", c.count}, {"c", c.c},   {"e", c.e},
                                        {"p", c.p},         {"cr", c.cr}, {"cu", c.cu},
                                        {"mis", c.mis},     {"r", c.r}};
        }
        Json waits = Json::array();
        for (const EventWaits& w : s.waits) waits.push_back(wait_json(w));
        statements.push_back({{"key", s.key},
                              {"sqlid", or_null(s.sqlid)},
                              {"hv", or_null(s.hv)},
                              {"dep", or_null(s.dep)},
                              {"text", or_null(s.text)},
                              {"parses", s.parses},
                              {"elapsed", s.elapsed},
                              {"calls", std::move(calls)},
                              {"waits", std::move(waits)}});
    }
    Json& objects = j["objects"] = Json::array();
    for (const ObjectWaits& o : p.objects)
        objects.push_back(
            {{"obj", o.obj}, {"event", o.event}, {"count", o.count}, {"time", o.time}});
    Json& histograms = j["histograms"] = Json::object();
    for (const Histogram& h : p.histograms) {
        Json buckets = Json::array();
        for (const Bucket& b : h.buckets)
            buckets.push_back({{"lo", b.lo}, {"hi", b.hi}, {"count", b.count}, {"time", b.time}});
        histograms[h.event] = std::move(buckets);
    }
    j["transactions"] = {{"commits", p.transactions.commits},
                         {"rollbacks", p.transactions.rollbacks},
                         {"read_only", p.transactions.read_only}};
    Json& errors = j["errors"] = Json::array();
    for (const ErrorCount& e : p.errors)
        errors.push_back(
            {{"kind", e.kind}, {"err", e.err}, {"key", or_null(e.key)}, {"count", e.count}});
    Json& gaps = j["gaps"] = Json::array();
    for (const Gap& g : p.gaps)
        gaps.push_back({{"session", g.session}, {"after", g.after}, {"time", g.time}});
    // Extra keys: what was passed over, and the cursor plans.
    Json& ignored = j["ignored"] = Json::array();
    for (const IgnoredLine& l : p.ignored)
        ignored.push_back({{"line", l.number}, {"text", l.text}});
    j["cpu_calls"] = p.cpu_calls;
    // Trace texts are 8-bit; bytes that are not UTF-8 are replaced rather
    // than failing the whole output.
    return j.dump(1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

void write_report(std::ostream& out, const Profile& p, const ReportOptions& o) {
    const std::int64_t r = p.response_time;
    out << "Response-time profile\n\n";
    if (p.first && p.last) {
        const std::string from = wall_time(p, *p.first), to = wall_time(p, *p.last);
        out << "  start          " << (from.empty() ? "tim=" + std::to_string(*p.first) : from)
            << "\n";
        out << "  end            " << (to.empty() ? "tim=" + std::to_string(*p.last) : to) << "\n";
    }
    if (p.clock)
        out << "  clock          " << p.clock->wall << " = tim "
            << (p.clock->tim ? std::to_string(*p.clock->tim) : "(none)") << "\n";
    out << "  response time  " << format_time(r) << "  (" << p.sessions.size() << " session"
        << (p.sessions.size() == 1 ? "" : "s") << ")\n";
    for (const Session& s : p.sessions)
        out << "    " << (s.id.empty() ? "(unnamed)" : s.id) << "  "
            << format_time(s.last - s.first) << "\n";
    out << "  statements     " << p.statements.size() << "\n";
    out << "  lines          " << p.lines << ", passed over as unreadable: " << p.ignored_lines
        << "\n";
    for (const IgnoredLine& l : p.ignored)
        out << "    line " << l.number << ": " << l.text.substr(0, 100) << "\n";

    out << "\nProfile (* idle)\n";
    out << "  " << pad("seconds", 14) << pad("share", 8) << pad("calls", 12) << pad("avg ms", 12)
        << pad("max ms", 12) << "  component\n";
    for (const Component& c : p.components) {
        std::string avg, max;
        if (c.count && *c.count > 0 && c.max)
            avg = fmt("%.3f", static_cast<double>(c.time) / static_cast<double>(*c.count) / 1e3);
        if (c.max) max = fmt("%.3f", static_cast<double>(*c.max) / 1e3);
        out << "  " << pad(format_seconds(c.time), 14) << pad(share(c.time, r), 8)
            << pad(c.count ? std::to_string(*c.count) : "", 12) << pad(avg, 12) << pad(max, 12)
            << "  " << (c.idle && *c.idle ? "*" : " ") << c.name << "\n";
    }
    out << "  " << pad(format_seconds(r), 14) << pad(r ? "100.0%" : "", 8) << "  "
        << std::string(36, ' ') << "   total\n";

    const std::size_t shown = std::min(o.top, p.statements.size());
    out << "\nTop statements by elapsed time (" << shown << " of " << p.statements.size() << ")\n";
    for (std::size_t i = 0; i < shown; ++i) {
        const Statement& s = p.statements[i];
        out << "\n" << i + 1 << ". " << s.key;
        if (s.hv) out << "  hv " << *s.hv;
        if (s.dep) out << "  depth " << *s.dep;
        out << "  parses " << s.parses << "  elapsed " << format_time(s.elapsed) << " ("
            << share(s.elapsed, r) << " of R)\n";
        if (s.text) {
            std::string_view t = *s.text;
            for (std::size_t n = 0; n < o.text_lines && !t.empty(); ++n) {
                const std::size_t nl = t.find('\n');
                out << "   | " << t.substr(0, std::min<std::size_t>(nl, 120)) << "\n";
                t = nl == std::string_view::npos ? std::string_view() : t.substr(nl + 1);
            }
            if (!t.empty()) out << "   | ...\n";
        }
        out << "   " << pad("call", 10, true) << pad("count", 9) << pad("cpu", 12)
            << pad("elapsed", 12) << pad("disk", 10) << pad("query", 10) << pad("current", 10)
            << pad("rows", 10) << "\n";
        CallSums total;
        for (int k = 0; k < kCallKinds; ++k) {
            const CallSums& c = s.calls[static_cast<std::size_t>(k)];
            if (c.count == 0) continue;
            total.add(c);
            out << "   " << pad(call_kind_name(k), 10, true) << pad(std::to_string(c.count), 9)
                << pad(format_seconds(c.c), 12) << pad(format_seconds(c.e), 12)
                << pad(std::to_string(c.p), 10) << pad(std::to_string(c.cr), 10)
                << pad(std::to_string(c.cu), 10) << pad(std::to_string(c.r), 10) << "\n";
        }
        out << "   " << pad("total", 10, true) << pad(std::to_string(total.count), 9)
            << pad(format_seconds(total.c), 12) << pad(format_seconds(total.e), 12)
            << pad(std::to_string(total.p), 10) << pad(std::to_string(total.cr), 10)
            << pad(std::to_string(total.cu), 10) << pad(std::to_string(total.r), 10) << "\n";
        if (!s.waits.empty()) {
            out << "   " << pad("waits", 10, true) << pad("count", 9) << pad("seconds", 12)
                << pad("max ms", 12) << "  event\n";
            for (const EventWaits& w : s.waits)
                out << "   " << std::string(10, ' ') << pad(std::to_string(w.sums.count), 9)
                    << pad(format_seconds(w.sums.time), 12)
                    << pad(fmt("%.3f", static_cast<double>(w.sums.max) / 1e3), 12) << "  "
                    << w.event << "\n";
        }
    }

    out << "\nTransactions: " << p.transactions.commits << " commits, " << p.transactions.rollbacks
        << " rollbacks, " << p.transactions.read_only << " read-only\n";
    out << "\nErrors";
    if (p.errors.empty()) out << ": none";
    out << "\n";
    for (const ErrorCount& e : p.errors)
        out << "  " << pad(std::to_string(e.count), 6) << "  " << e.kind << " err=" << e.err
            << (e.key ? "  " + *e.key : std::string()) << "\n";
    out << "\nGaps over one second";
    if (p.gaps.empty()) out << ": none";
    out << "\n";
    for (const Gap& g : p.gaps) {
        const std::string at = wall_time(p, g.after);
        out << "  " << pad(format_time(g.time), 12) << "  after "
            << (at.empty() ? "tim=" + std::to_string(g.after) : at)
            << (g.session.empty() ? std::string() : "  in " + g.session) << "\n";
    }

    if (!p.objects.empty()) {
        out << "\nObjects waited on (top 20)\n";
        for (std::size_t i = 0; i < p.objects.size() && i < 20; ++i) {
            const ObjectWaits& ob = p.objects[i];
            out << "  obj# " << pad(std::to_string(ob.obj), 10, true)
                << pad(format_time(ob.time), 14) << pad(std::to_string(ob.count), 9) << "  "
                << ob.event << "\n";
        }
    }

    out << "\nHistograms (waits by duration)\n";
    for (const Histogram& h : p.histograms) {
        out << "\n  " << h.event << "\n";
        std::int64_t most = 1;
        for (const Bucket& b : h.buckets) most = std::max(most, b.count);
        for (const Bucket& b : h.buckets) {
            const std::string range = format_time(b.lo) + " - " + format_time(b.hi);
            const auto bar = static_cast<std::size_t>(30 * b.count / most);
            out << "    " << pad(range, 26, true) << pad(std::to_string(b.count), 10)
                << pad(format_seconds(b.time), 14) << "  "
                << std::string(std::max<std::size_t>(bar, 1), '#') << "\n";
        }
    }
}

} // namespace kavro::profile
