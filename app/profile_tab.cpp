#include "app/profile_tab.h"

#include "core/error.h"
#include "profile/report.h"

#include <cstdio>

namespace kavro {

using profile::format_seconds;

namespace {

std::string num(std::int64_t v) {
    return std::to_string(v);
}

std::string fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string ms(std::int64_t us) {
    return fixed(static_cast<double>(us) / 1e3, 3);
}

std::string share(std::int64_t part, std::int64_t whole) {
    return whole == 0 ? ""
                      : fixed(100.0 * static_cast<double>(part) / static_cast<double>(whole), 1);
}

// A moment as the DBA knows it: the wall clock when the trace has one.
std::string moment(const profile::Profile& p, std::int64_t tim) {
    const std::string wall = profile::wall_time(p, tim);
    return wall.empty() ? "tim " + num(tim) : wall;
}

void titles(StringTable& t, std::initializer_list<const char*> texts) {
    int col = 0;
    for (const char* text : texts) t.SetCell(col++, 0, text);
}

// The figures inside a STAT line's op text: "(cr=4 pr=2 pw=0 time=8 us cost=1 ...)".
std::string figure(std::string_view op, std::string_view name) {
    const std::size_t open = op.rfind(" (");
    if (open == std::string_view::npos) return {};
    std::string_view f = op.substr(open + 2);
    for (std::size_t at = 0; at < f.size();) {
        std::size_t end = f.find(' ', at);
        if (end == std::string_view::npos) end = f.size();
        std::string_view token = f.substr(at, end - at);
        if (!token.empty() && token.back() == ')') token.remove_suffix(1);
        if (token.size() > name.size() && token.starts_with(name) && token[name.size()] == '=')
            return std::string(token.substr(name.size() + 1));
        at = end + 1;
    }
    return {};
}

std::string operation(std::string_view op) {
    const std::size_t open = op.rfind(" (");
    return std::string(open == std::string_view::npos ? op : op.substr(0, open));
}

void fill_header(ProfileTab& tab) {
    const profile::Profile& p = tab.current;
    std::string h;
    const std::int64_t r = p.response_time;
    h += "Response time " + profile::format_time(r) + " in " +
         num(static_cast<std::int64_t>(p.sessions.size())) +
         (p.sessions.size() == 1 ? " session" : " sessions");
    if (p.first && p.last) h += ", from " + moment(p, *p.first) + " to " + moment(p, *p.last);
    h += "\nCPU " + profile::format_time(p.cpu) + " (" + share(p.cpu, r) + "%), waits " +
         profile::format_time(p.wait_time) + " (" + share(p.wait_time, r) + "%), unaccounted-for " +
         profile::format_time(p.unaccounted) + " (" + share(p.unaccounted, r) + "%); " +
         num(static_cast<std::int64_t>(p.statements.size())) + " statements";
    h += "\nTransactions: " + num(p.transactions.commits) + " commits, " +
         num(p.transactions.rollbacks) + " rollbacks, " + num(p.transactions.read_only) +
         " read-only; " + num(static_cast<std::int64_t>(p.lines)) + " lines, " +
         num(static_cast<std::int64_t>(p.ignored_lines)) + " passed over as unreadable";
    if (!tab.profile_from.text.empty() || !tab.profile_to.text.empty())
        h += "; window " + (tab.profile_from.text.empty() ? "start" : tab.profile_from.text) +
             " to " + (tab.profile_to.text.empty() ? "end" : tab.profile_to.text);
    tab.header = std::move(h);
    ++tab.text_revision;
}

void publish(ProfileTab& tab) {
    const profile::Profile& p = tab.current;
    fill_header(tab);

    tab.profile_grid.ResetTable();
    for (const profile::Component& c : p.components) {
        std::string avg;
        if (c.count && *c.count > 0) avg = ms(c.time / *c.count);
        tab.profile_grid.AppendRow({c.name, format_seconds(c.time), share(c.time, p.response_time),
                                    c.count ? num(*c.count) : "", c.max ? avg : "",
                                    c.max ? ms(*c.max) : "", c.idle && *c.idle ? "idle" : ""});
    }
    tab.profile_grid.TrimTable();

    tab.profile_statements.ResetTable();
    tab.profile_stmt.clear();
    for (const profile::Statement& s : p.statements) {
        tab.profile_statements.AppendRow(
            {s.key, format_seconds(s.elapsed), format_seconds(s.cpu()),
             format_seconds(s.wait_time()), num(s.executions()), num(s.rows()),
             num(s.logical_reads()), num(s.disk_reads()), num(s.parses), s.dep ? num(*s.dep) : "",
             s.sqlid.value_or(""), std::string(s.first_line().substr(0, 300))});
        tab.profile_stmt.add(s.key);
    }
    tab.profile_statements.TrimTable();

    tab.profile_objects.ResetTable();
    for (const profile::ObjectWaits& o : p.objects)
        tab.profile_objects.AppendRow({num(o.obj), o.event, num(o.count), format_seconds(o.time),
                                       ms(o.count ? o.time / o.count : 0)});
    tab.profile_objects.TrimTable();

    tab.profile_errors.ResetTable();
    for (const profile::ErrorCount& e : p.errors)
        tab.profile_errors.AppendRow({e.kind, num(e.err), e.key.value_or(""), num(e.count)});
    tab.profile_errors.TrimTable();

    tab.profile_gaps.ResetTable();
    for (const profile::Gap& g : p.gaps)
        tab.profile_gaps.AppendRow({format_seconds(g.time), moment(p, g.after), g.session});
    tab.profile_gaps.TrimTable();

    tab.profile_ignored.ResetTable();
    for (const profile::IgnoredLine& l : p.ignored)
        tab.profile_ignored.AppendRow({num(static_cast<std::int64_t>(l.number)), l.text});
    tab.profile_ignored.TrimTable();

    tab.profile_event.clear();
    // Events by time, as the profile lists them.
    for (const profile::Component& c : p.components)
        if (c.max) tab.profile_event.add(c.name);

    show_profile_statement(tab, p.statements.empty() ? -1 : 0);
    show_profile_event(tab, tab.profile_event.count() > 0 ? 0 : -1);
}

} // namespace

ProfileTab::ProfileTab() {
    profile_hist_count.set_title("Waits by duration");
    profile_hist_time.set_title("Time by duration (seconds)");
    for (Chart* c : {&profile_hist_count, &profile_hist_time}) {
        Series& s = c->add_series(SeriesKind::Bar, PointOrder::Addition);
        s.set_marks_visible(false);
    }
    profile_hist_count.series(0).set_title("Waits");
    profile_hist_count.series(0).set_colour(rgb(0x3366CC));
    profile_hist_time.series(0).set_title("Seconds");
    profile_hist_time.series(0).set_colour(rgb(0xDC3912));
}

void write_profile_titles(ProfileTab& t) {
    titles(t.profile_grid,
           {"Component", "Seconds", "Share %", "Calls", "Avg ms", "Max ms", "Idle"});
    titles(t.profile_statements,
           {"Statement", "Elapsed s", "CPU s", "Waits s", "Executions", "Rows", "Logical Reads",
            "Physical Reads", "Parses", "Depth", "SQL ID", "Text"});
    titles(t.profile_calls,
           {"Call", "Count", "CPU s", "Elapsed s", "Disk", "Query", "Current", "Rows"});
    titles(t.profile_waits, {"Event", "Waits", "Seconds", "Avg ms", "Max ms"});
    titles(t.profile_plan, {"Id", "Parent", "Rows", "Operation", "Obj#", "Logical Reads",
                            "Phy Reads", "Phy Writes", "Time ms", "Cost", "Cardinality"});
    titles(t.profile_hist, {"From ms", "To ms", "Waits", "Seconds", "Share %"});
    titles(t.profile_objects, {"Obj#", "Event", "Waits", "Seconds", "Avg ms"});
    titles(t.profile_errors, {"Kind", "Error", "Statement", "Count"});
    titles(t.profile_gaps, {"Seconds", "After", "Session"});
    titles(t.profile_ignored, {"Line", "Text"});
}

void clear_profile_tab(ProfileTab& t) {
    for (StringTable* table :
         {&t.profile_grid, &t.profile_statements, &t.profile_calls, &t.profile_waits,
          &t.profile_plan, &t.profile_hist, &t.profile_objects, &t.profile_errors, &t.profile_gaps,
          &t.profile_ignored})
        table->ResetTable();
    t.profile_stmt.clear();
    t.profile_event.clear();
    t.profile_hist_count.series(0).clear();
    t.profile_hist_time.series(0).clear();
    t.profile_from.text.clear();
    t.profile_to.text.clear();
    t.header.clear();
    t.sql_text.clear();
    ++t.text_revision;
    t.current = profile::Profile{};
    t.whole_first.reset();
    t.whole_clock.reset();
    t.stale = false;
}

void build_profile_tab(ProfileTab& tab, const StringTable& trace_grid) {
    profile::Window window;
    const bool windowed = !tab.profile_from.text.empty() || !tab.profile_to.text.empty();
    if (windowed && !tab.whole_first && !tab.whole_clock) {
        const profile::Profile whole = profile::profile_table(trace_grid);
        tab.whole_first = whole.first;
        tab.whole_clock = whole.clock;
    }
    if (windowed) {
        profile::Profile reference;
        reference.first = tab.whole_first;
        reference.clock = tab.whole_clock;
        for (auto [edit, bound] :
             {std::pair{&tab.profile_from, &window.from}, std::pair{&tab.profile_to, &window.to}}) {
            if (edit->text.empty()) continue;
            *bound = profile::window_tim(edit->text, reference);
            if (!*bound)
                throw Error("'" + edit->text +
                            "' is neither a time of the trace's clock nor seconds from its start");
        }
    }
    tab.current = profile::profile_table(trace_grid, window);
    if (!windowed) {
        tab.whole_first = tab.current.first;
        tab.whole_clock = tab.current.clock;
    }
    tab.stale = false;
    publish(tab);
}

void show_profile_statement(ProfileTab& tab, int index) {
    tab.profile_calls.ResetTable();
    tab.profile_waits.ResetTable();
    tab.profile_plan.ResetTable();
    tab.sql_text.clear();
    ++tab.text_revision;
    if (index < 0 || index >= static_cast<int>(tab.current.statements.size())) return;
    tab.profile_stmt.select(index);
    const profile::Statement& s = tab.current.statements[static_cast<std::size_t>(index)];
    tab.sql_text =
        s.text ? *s.text : "(no text: the cursor's PARSING IN CURSOR is not in the trace)";

    static const char* const kRows[] = {"Parse", "Execute", "Fetch",
                                        "Close", "Unmap",   "Sort Unmap"};
    profile::CallSums total;
    for (int k = 0; k < profile::kCallKinds; ++k) {
        const profile::CallSums& c = s.calls[static_cast<std::size_t>(k)];
        // Parse, Execute and Fetch always, as DBAs know the table; the
        // others when they occurred.
        if (c.count == 0 && k > profile::kFetch) continue;
        total.add(c);
        tab.profile_calls.AppendRow({kRows[k], num(c.count), format_seconds(c.c),
                                     format_seconds(c.e), num(c.p), num(c.cr), num(c.cu),
                                     num(c.r)});
    }
    tab.profile_calls.AppendRow({"total", num(total.count), format_seconds(total.c),
                                 format_seconds(total.e), num(total.p), num(total.cr),
                                 num(total.cu), num(total.r)});
    tab.profile_calls.TrimTable();

    for (const profile::EventWaits& w : s.waits)
        tab.profile_waits.AppendRow({w.event, num(w.sums.count), format_seconds(w.sums.time),
                                     ms(w.sums.count ? w.sums.time / w.sums.count : 0),
                                     ms(w.sums.max)});
    tab.profile_waits.TrimTable();

    // Plan rows indented by their depth under the parent.
    std::vector<std::pair<std::int64_t, int>> depth; // id -> depth, in plan order
    for (const profile::PlanRow& r : s.plan) {
        int d = 0;
        for (auto it = depth.rbegin(); it != depth.rend(); ++it)
            if (it->first == r.pid) {
                d = it->second + 1;
                break;
            }
        depth.emplace_back(r.id, d);
        std::string time = figure(r.op, "time");
        if (!time.empty()) {
            std::int64_t us = 0;
            for (char ch : time)
                if (ch >= '0' && ch <= '9') us = us * 10 + (ch - '0');
            time = ms(us);
        }
        tab.profile_plan.AppendRow(
            {num(r.id), num(r.pid), num(r.cnt),
             std::string(static_cast<std::size_t>(2 * std::min(d, 40)), ' ') + operation(r.op),
             r.obj ? num(r.obj) : "", figure(r.op, "cr"), figure(r.op, "pr"), figure(r.op, "pw"),
             time, figure(r.op, "cost"), figure(r.op, "card")});
    }
    tab.profile_plan.TrimTable();
}

void show_profile_event(ProfileTab& tab, int index) {
    tab.profile_hist.ResetTable();
    Series& count = tab.profile_hist_count.series(0);
    Series& time = tab.profile_hist_time.series(0);
    count.clear();
    time.clear();
    if (index < 0 || index >= tab.profile_event.count()) {
        tab.profile_hist_count.set_title("Waits by duration");
        tab.profile_hist_time.set_title("Time by duration (seconds)");
        return;
    }
    tab.profile_event.select(index);
    const std::string& event = tab.profile_event.items()[static_cast<std::size_t>(index)];
    tab.profile_hist_count.set_title("Waits by duration: " + event);
    tab.profile_hist_time.set_title("Time by duration (seconds): " + event);
    const profile::Histogram* h = tab.current.histogram(event);
    if (!h) return;
    std::int64_t all = 0;
    for (const profile::Bucket& b : h->buckets) all += b.time;
    for (const profile::Bucket& b : h->buckets) {
        const std::string hi = b.hi == INT64_MAX ? "" : ms(b.hi);
        tab.profile_hist.AppendRow(
            {ms(b.lo), hi, num(b.count), format_seconds(b.time), share(b.time, all)});
        const std::string label =
            "< " + (b.hi == INT64_MAX ? std::string("...") : profile::format_time(b.hi));
        count.add_value(static_cast<double>(b.count), label);
        time.add_value(static_cast<double>(b.time) / 1e6, label);
    }
    tab.profile_hist.TrimTable();
}

} // namespace kavro
