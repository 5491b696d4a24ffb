// gen_mpstat SIZE OUTFILE [SEED] [aix|linux] [CPUS]
//
// Writes an OSWatcher mpstat archive of about SIZE bytes (100M, 1G, ...):
// one snapshot every 30 seconds, each opened by a "zzz ***" line. The AIX
// layout is one `mpstat 1 1` report (configuration row, lower-case header,
// one row per CPU, "U" and "ALL" rows); the Linux layout is `mpstat -P ALL
// 1 2` (banner, two interval tables with 12-hour times, the "Average:"
// table). The same seed gives the same file.

#include "bench/bench_util.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using kavro::bench::Random;

// Wall-clock time of the snapshots, starting on Monday 6 June 2016.
class Clock {
public:
    void advance(int seconds) { t_ += std::chrono::seconds(seconds); }
    // "Mon Jun 6 10:00:01 CDT 2016"
    std::string marker_time() const {
        static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        const auto day = std::chrono::floor<std::chrono::days>(t_);
        const std::chrono::year_month_day ymd(day);
        const std::chrono::weekday wd(day);
        const std::chrono::hh_mm_ss hms(t_ - day);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%s %s %u %02d:%02d:%02d CDT %d", days[wd.c_encoding()],
                      months[static_cast<unsigned>(ymd.month()) - 1],
                      static_cast<unsigned>(ymd.day()), static_cast<int>(hms.hours().count()),
                      static_cast<int>(hms.minutes().count()),
                      static_cast<int>(hms.seconds().count()), static_cast<int>(ymd.year()));
        return buf;
    }
    // "10:00:01 AM", `plus` seconds later.
    std::string clock12(int plus) const {
        const auto t = t_ + std::chrono::seconds(plus);
        const auto day = std::chrono::floor<std::chrono::days>(t);
        const std::chrono::hh_mm_ss hms(t - day);
        const int h = static_cast<int>(hms.hours().count());
        char buf[32];
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d %s", h % 12 == 0 ? 12 : h % 12,
                      static_cast<int>(hms.minutes().count()),
                      static_cast<int>(hms.seconds().count()), h < 12 ? "AM" : "PM");
        return buf;
    }
    // "06/06/2016"
    std::string date() const {
        const std::chrono::year_month_day ymd(std::chrono::floor<std::chrono::days>(t_));
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02u/%02u/%d", static_cast<unsigned>(ymd.month()),
                      static_cast<unsigned>(ymd.day()), static_cast<int>(ymd.year()));
        return buf;
    }

private:
    std::chrono::sys_seconds t_ =
        std::chrono::sys_days(std::chrono::year{2016} / std::chrono::June / 6) +
        std::chrono::hours(10) + std::chrono::seconds(1);
};

// One CPU's load drifts slowly, so each line of the chart has a shape.
struct Load {
    int user = 10;
    int system = 5;
    void step(Random& rnd) {
        user += static_cast<int>(rnd.below(11)) - 5;
        system += static_cast<int>(rnd.below(5)) - 2;
        if (user < 0) user = 0;
        if (user > 80) user = 80;
        if (system < 0) system = 0;
        if (system > 15) system = 15;
    }
};

void aix_snapshot(std::FILE* out, const Clock& clock, std::vector<Load>& cpus, Random& rnd) {
    std::fprintf(out, "zzz ***%s\n", clock.marker_time().c_str());
    std::fprintf(out, "\nSystem configuration: lcpu=%zu ent=0.50 mode=Uncapped\n\n", cpus.size());
    std::fprintf(out,
                 "cpu  min  maj  mpc  int   cs  ics   rq  mig lpa sysc us sy wa id   pc  %%ec  "
                 "lcs\n");
    const int n = static_cast<int>(cpus.size());
    int total_int = 0, total_cs = 0, total_sysc = 0, total_user = 0, total_system = 0;
    for (std::size_t i = 0; i < cpus.size(); ++i) {
        Load& c = cpus[i];
        c.step(rnd);
        const int wa = static_cast<int>(rnd.below(3));
        const int id = 100 - c.user - c.system - wa;
        const int intr = 10 + static_cast<int>(rnd.below(400));
        const int cs = static_cast<int>(rnd.below(300));
        const int sysc = static_cast<int>(rnd.below(900));
        total_int += intr;
        total_cs += cs;
        total_sysc += sysc;
        total_user += c.user;
        total_system += c.system;
        const double pc = (c.user + c.system) / 2000.0;
        std::fprintf(
            out, "%3zu %4d %4d %4d %4d %4d %4d %4d %4d %3d %4d %2d %2d %2d %2d %4.2f %4.1f %4d\n",
            i, 0, 0, 0, intr, cs, cs / 2, static_cast<int>(rnd.below(3)), 0, 100, sysc, c.user,
            c.system, wa, id, pc, pc * 200, intr - 20 < 0 ? 0 : intr - 20);
    }
    std::fprintf(
        out, "  U    -    -    -    -    -    -    -    -   -    -  -  -  0 %2d 0.40 80.0    -\n",
        80);
    std::fprintf(out,
                 "ALL    0    0    0 %4d %4d %4d    1    0 100 %4d %2d %2d  0 %2d 0.10 20.0 %4d\n",
                 total_int, total_cs, total_cs / 2, total_sysc, total_user / n, total_system / n,
                 100 - total_user / n - total_system / n, total_int / 2);
    std::fprintf(out, "-----------------------------------------------------------------------"
                      "----------------\n");
}

struct Row {
    double usr, nice, sys, iowait, irq, soft, idle;
};

void linux_row(std::FILE* out, const char* time, const char* cpu, const Row& r) {
    std::fprintf(out, "%-11s  %3s %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f\n",
                 time, cpu, r.usr, r.nice, r.sys, r.iowait, r.irq, r.soft, 0.0, 0.0, 0.0, r.idle);
}

void linux_header(std::FILE* out, const char* time) {
    std::fprintf(out,
                 "%-11s  CPU    %%usr   %%nice    %%sys %%iowait    %%irq   %%soft  %%steal  "
                 "%%guest  %%gnice   %%idle\n",
                 time);
}

Row make_row(const Load& c, Random& rnd) {
    Row r{};
    r.usr = c.user + static_cast<double>(rnd.below(100)) / 100;
    r.sys = c.system + static_cast<double>(rnd.below(100)) / 100;
    r.nice = static_cast<double>(rnd.below(3)) / 4;
    r.iowait = static_cast<double>(rnd.below(200)) / 100;
    r.soft = static_cast<double>(rnd.below(50)) / 100;
    r.idle = 100 - r.usr - r.sys - r.nice - r.iowait - r.soft;
    if (r.idle < 0) r.idle = 0;
    return r;
}

Row mean(const std::vector<Row>& rows) {
    Row m{};
    for (const Row& r : rows) {
        m.usr += r.usr, m.nice += r.nice, m.sys += r.sys, m.iowait += r.iowait;
        m.irq += r.irq, m.soft += r.soft, m.idle += r.idle;
    }
    const double n = rows.empty() ? 1 : static_cast<double>(rows.size());
    return {m.usr / n, m.nice / n, m.sys / n, m.iowait / n, m.irq / n, m.soft / n, m.idle / n};
}

void linux_snapshot(std::FILE* out, const Clock& clock, std::vector<Load>& cpus, Random& rnd) {
    std::fprintf(out, "zzz ***%s\n", clock.marker_time().c_str());
    std::fprintf(out, "Linux 4.1.12-124.48.6.el7uek.x86_64 (dbhost01) \t%s \t_x86_64_\t(%zu CPU)\n",
                 clock.date().c_str(), cpus.size());
    const std::size_t n = cpus.size();
    std::vector<std::vector<Row>> seen(n + 1);
    for (int interval = 0; interval < 2; ++interval) {
        std::fputc('\n', out);
        const std::string start = clock.clock12(interval);
        const std::string end = clock.clock12(interval + 1);
        linux_header(out, start.c_str());
        std::vector<Row> rows;
        for (Load& c : cpus) {
            c.step(rnd);
            rows.push_back(make_row(c, rnd));
        }
        const Row all = mean(rows);
        linux_row(out, end.c_str(), "all", all);
        seen[n].push_back(all);
        for (std::size_t i = 0; i < n; ++i) {
            linux_row(out, end.c_str(), std::to_string(i).c_str(), rows[i]);
            seen[i].push_back(rows[i]);
        }
    }
    std::fputc('\n', out);
    linux_header(out, "Average:");
    linux_row(out, "Average:", "all", mean(seen[n]));
    for (std::size_t i = 0; i < n; ++i)
        linux_row(out, "Average:", std::to_string(i).c_str(), mean(seen[i]));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: gen_mpstat SIZE OUTFILE [SEED] [aix|linux] [CPUS]\n");
        return 2;
    }
    const std::uint64_t size = kavro::bench::parse_size(argv[1]);
    const std::uint64_t seed = argc > 3 ? std::stoull(argv[3]) : 1;
    const std::string layout = argc > 4 ? argv[4] : "aix";
    const int ncpu = argc > 5 ? std::stoi(argv[5]) : 8;
    if ((layout != "aix" && layout != "linux") || ncpu < 1) {
        std::fprintf(stderr, "gen_mpstat: layout is aix or linux, CPUS at least 1\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out) {
        std::perror(argv[2]);
        return 1;
    }
    Random rnd(seed);
    Clock clock;
    std::vector<Load> cpus(static_cast<std::size_t>(ncpu));
    for (Load& c : cpus) {
        c.user = 5 + static_cast<int>(rnd.below(40));
        c.system = 2 + static_cast<int>(rnd.below(8));
    }
    std::uint64_t snapshots = 0;
    while (static_cast<std::uint64_t>(std::ftell(out)) < size) {
        if (layout == "aix")
            aix_snapshot(out, clock, cpus, rnd);
        else
            linux_snapshot(out, clock, cpus, rnd);
        clock.advance(30);
        ++snapshots;
    }
    const long bytes = std::ftell(out);
    if (std::fclose(out) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    std::printf("%s: %ld bytes, %llu snapshots of %d CPUs (%s)\n", argv[2], bytes,
                static_cast<unsigned long long>(snapshots), ncpu, layout.c_str());
    return 0;
}
