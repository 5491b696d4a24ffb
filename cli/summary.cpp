#include "cli/summary.h"

#include "app/form.h"
#include "core/convert.h"
#include "profile/profile.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kavro {

namespace {

// The first look at a file: what a DBA wants to know before opening the
// window (how much is in it, over what time, and where the load is). Every
// figure comes from the page's own analysis, run through the same handlers
// as the window's buttons, so the summary and the window never disagree.

class SilentMessageBox : public MessageBox {
public:
    void show(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

std::string thousands(long long n) {
    std::string digits = std::to_string(n < 0 ? -n : n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return n < 0 ? "-" + out : out;
}

std::string fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

// A microsecond count as a DBA reads it.
std::string duration_us(double us) {
    const double a = us < 0 ? -us : us;
    if (a >= 1e6) return fixed(us / 1e6, 3) + " s";
    if (a >= 1e3) return fixed(us / 1e3, 1) + " ms";
    return fixed(us, 0) + " us";
}

int column_titled(const StringTable& t, std::string_view title) {
    for (int c = 0; c < t.ColCount(); ++c)
        if (t.Cell(c, 0) == title) return c;
    return -1;
}

// Rows of a result table that hold data: row 0 has the titles, and a table
// left open ends with an empty append slot.
int data_rows(const StringTable& t) {
    int n = t.RowCount();
    while (n > 1 && t.Cell(0, n - 1).empty()) --n;
    return n - 1;
}

// What to say of a file that gave no rows: OSWatcher opens every snapshot
// with a marker line, and a plain command output (ps -ef saved by hand) has
// none, which is the usual reason.
std::string nothing_found(const StringTable& raw, std::string_view marker, const char* what) {
    for (int r = 1; r < raw.RowCount(); ++r)
        if (raw.Cell(0, r).find(marker) != std::string_view::npos)
            return std::string("  no ") + what + " found\n";
    return std::string("  no ") + what + " found: no snapshot line holds \"" + std::string(marker) +
           "\", as OSWatcher writes them\n";
}

std::string snapshots_text(std::size_t n) {
    return thousands(static_cast<long long>(n)) + (n == 1 ? " snapshot" : " snapshots");
}

double number(std::string_view text) {
    double v = 0;
    return TryStrToFloat(text, v) ? v : 0;
}

// Each file is summarised on its own: the page is cleared first, since loads
// and analyses add to what a page holds.
bool run_page(TForm1& form, const std::string& field, const std::string& file, const char* clear,
              const char* load, const char* analyse, std::ostream& out) {
    if (form.user_click(clear) && form.user_set(field, file) && form.user_click(load) &&
        form.user_click(analyse))
        return true;
    out << "  could not be read: " << form.last_error() << "\n";
    return false;
}

void trace_summary(TForm1& form, const std::string& file, std::ostream& out) {
    out << "SQL trace " << file << "\n";
    if (!run_page(form, "SQLIdList", file, "Button104", "Button102", "Button2", out)) return;
    const TracePage& t = form.trace;
    out << "  " << thousands(data_rows(t.trace_grid)) << " lines, "
        << thousands(std::max(0, t.cursor_combo.count() - 1)) << " cursors, "
        << thousands(data_rows(t.trace_detail)) << " wait figures, "
        << thousands(data_rows(t.trace_detail2)) << " fetch figures, "
        << thousands(data_rows(t.execplan_grid)) << " plan rows\n";

    // Where the response time went, from Oracle's own line forms: what a
    // DBA asks of a trace first.
    const profile::Profile p = profile::profile_table(t.trace_grid);
    if (p.response_time <= 0) return;
    out << "  response time " << duration_us(static_cast<double>(p.response_time)) << " in "
        << p.sessions.size() << (p.sessions.size() == 1 ? " session, " : " sessions, ")
        << thousands(static_cast<long long>(p.statements.size())) << " statements\n";
    const double r = static_cast<double>(p.response_time);
    out << "  where it went (* idle):\n";
    for (std::size_t i = 0; i < p.components.size() && i < 5; ++i) {
        const profile::Component& c = p.components[i];
        out << "    " << fixed(100.0 * static_cast<double>(c.time) / r, 1) << "%  "
            << duration_us(static_cast<double>(c.time)) << "  "
            << (c.idle.value_or(false) ? "*" : "") << c.name;
        if (c.count) {
            const char* what = c.idle ? (*c.count == 1 ? " wait)" : " waits)")
                                      : (*c.count == 1 ? " call)" : " calls)");
            out << "  (" << thousands(*c.count) << what;
        }
        out << "\n";
    }
    if (p.statements.empty()) return;
    out << "  statements by elapsed time:\n";
    for (std::size_t i = 0; i < p.statements.size() && i < 3; ++i) {
        const profile::Statement& st = p.statements[i];
        std::string line(st.first_line().substr(0, 60));
        out << "    " << duration_us(static_cast<double>(st.elapsed)) << "  " << st.key << "  "
            << thousands(st.executions()) << (st.executions() == 1 ? " execution" : " executions");
        if (!line.empty()) out << "  " << line;
        out << "\n";
    }
}

void ps_summary(TForm1& form, const std::string& file, std::ostream& out) {
    out << "OSWatcher ps " << file << "\n";
    if (!run_page(form, "osw_filename", file, "Button5", "Button85", "Button4", out)) return;
    const StringTable& rows = form.ps.osw_ps_grid;
    const int time = column_titled(rows, "Time"), pid = column_titled(rows, "Process ID");
    const int owner = column_titled(rows, "Owner"), cpu = column_titled(rows, "CPU%");
    if (time < 0 || pid < 0 || owner < 0 || cpu < 0) return;
    std::vector<std::string> snapshots;
    std::map<std::string, int, std::less<>> per_snapshot;
    std::map<std::string, std::pair<std::string, double>, std::less<>> cpu_by_process;
    for (int r = 1, n = data_rows(rows); r <= n; ++r) {
        const std::string_view at = rows.Cell(time, r);
        if (snapshots.empty() || snapshots.back() != at) snapshots.emplace_back(at);
        ++per_snapshot[std::string(at)];
        auto& [who, sum] = cpu_by_process[std::string(rows.Cell(pid, r))];
        if (who.empty()) who = rows.Cell(owner, r);
        sum += number(rows.Cell(cpu, r));
    }
    if (snapshots.empty()) {
        out << nothing_found(form.ps.osw_grid, form.rules.ps_start.text, "process rows");
        return;
    }
    int most = 0;
    for (const auto& [at, n] : per_snapshot) most = std::max(most, n);
    out << "  " << snapshots_text(snapshots.size()) << ", " << snapshots.front() << " to "
        << snapshots.back() << "; " << thousands(static_cast<long long>(cpu_by_process.size()))
        << " processes, at most " << thousands(most) << " in one snapshot\n";
    std::vector<std::pair<std::string, std::pair<std::string, double>>> top(cpu_by_process.begin(),
                                                                            cpu_by_process.end());
    std::stable_sort(top.begin(), top.end(), [](const auto& a, const auto& b) {
        return a.second.second > b.second.second;
    });
    out << "  busiest processes, CPU% summed over the snapshots:\n";
    for (std::size_t i = 0; i < top.size() && i < 5 && top[i].second.second > 0; ++i)
        out << "    " << fixed(top[i].second.second, 1) << "  pid " << top[i].first << " ("
            << top[i].second.first << ")\n";
}

void mpstat_summary(TForm1& form, const std::string& file, std::ostream& out) {
    out << "OSWatcher mpstat " << file << "\n";
    if (!run_page(form, "mpstat_filename", file, "Button10", "Button8", "Button9", out)) return;
    const Chart& chart = form.mpstat.cpu_util_chart;
    int snapshots = 0;
    double sum = 0, peak = -1;
    long long points = 0;
    std::string peak_at, peak_cpu, first_at, last_at;
    for (int s = 0; s < chart.series_count(); ++s) {
        const Series& series = chart.series(s);
        snapshots = std::max(snapshots, series.point_count());
        for (int p = 0; p < series.point_count(); ++p) {
            const double y = series.value(p);
            sum += y;
            ++points;
            if (y > peak) {
                peak = y;
                peak_at = series.label(p);
                peak_cpu = series.title();
            }
        }
        if (series.point_count() > 0 && first_at.empty()) {
            first_at = series.label(0);
            last_at = series.label(series.point_count() - 1);
        }
    }
    if (points == 0) {
        out << nothing_found(form.mpstat.mpstat_grid, "zzz", "processor rows");
        return;
    }
    out << "  " << chart.series_count() << " logical CPUs, "
        << snapshots_text(static_cast<std::size_t>(snapshots));
    if (!first_at.empty()) out << ", " << first_at << " to " << last_at;
    out << "\n  utilisation: mean " << fixed(sum / static_cast<double>(points), 1) << "%, peak "
        << fixed(peak, 1) << "% (" << peak_cpu << " at " << peak_at << ")\n";
}

void netstat_summary(TForm1& form, const std::string& file, std::ostream& out) {
    out << "OSWatcher netstat " << file << "\n";
    if (!run_page(form, "netstat_filename", file, "Button14", "Button12", "Button13", out)) return;
    const StringTable& raw = form.netstat.nets_raw;
    const int time = column_titled(raw, "Time"), metric = column_titled(raw, "Metric");
    const int total = column_titled(raw, "Total");
    if (time < 0 || metric < 0 || total < 0) return;
    std::set<std::string, std::less<>> times;
    std::vector<std::string> order;
    std::map<std::string, std::pair<double, double>, std::less<>> span; // first, last total
    for (int r = 1, n = data_rows(raw); r <= n; ++r) {
        times.emplace(raw.Cell(time, r));
        const std::string key(raw.Cell(metric, r));
        const double v = number(raw.Cell(total, r));
        auto [it, fresh] = span.try_emplace(key, v, v);
        if (fresh) order.push_back(key);
        it->second.second = v;
    }
    if (order.empty()) {
        out << nothing_found(form.netstat.nets_trace_grid, form.rules.nets_start.text, "counters");
        return;
    }
    out << "  " << snapshots_text(times.size()) << ", "
        << thousands(static_cast<long long>(order.size())) << " counters\n";
    std::stable_sort(order.begin(), order.end(), [&](const std::string& a, const std::string& b) {
        return span[a].second - span[a].first > span[b].second - span[b].first;
    });
    if (times.size() < 2) return; // growth needs two snapshots
    out << "  largest growth over the archive:\n";
    for (std::size_t i = 0; i < order.size() && i < 5; ++i)
        out << "    +"
            << thousands(static_cast<long long>(span[order[i]].second - span[order[i]].first))
            << "  " << order[i] << "\n";
}

struct Kind {
    const char* name;
    void (*summarise)(TForm1&, const std::string&, std::ostream&);
};
constexpr Kind kKinds[] = {{"trace", trace_summary},
                           {"ps", ps_summary},
                           {"mpstat", mpstat_summary},
                           {"netstat", netstat_summary}};

} // namespace

const char* kSummaryUsage = "usage: kavro-cli [-C DIR] summary KIND FILE [KIND FILE]...\n"
                            "KIND is trace, ps, mpstat or netstat; each file is loaded and\n"
                            "analysed as its page's buttons do, and a short summary printed.\n";

int run_summary(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::pair<const Kind*, std::string>> files;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        const Kind* kind = nullptr;
        for (const Kind& k : kKinds)
            if (args[i] == k.name) kind = &k;
        if (!kind || i + 1 >= args.size()) {
            err << "kavro: summary expects KIND FILE pairs, not '" << args[i] << "'\n"
                << kSummaryUsage;
            return 2;
        }
        files.emplace_back(kind, args[i + 1]);
    }
    if (files.empty()) {
        err << kSummaryUsage;
        return 2;
    }
    SilentMessageBox messages;
    TForm1 form;
    form.message_box = &messages;
    form.FormShow();
    for (const std::string& m : messages.messages) err << m << '\n';
    messages.messages.clear();
    bool ok = true;
    for (const auto& [kind, file] : files) {
        kind->summarise(form, file, out);
        ok = ok && messages.messages.empty();
        messages.messages.clear();
    }
    return ok ? 0 : 1;
}

} // namespace kavro
