// gen_ps SIZE OUTFILE [SEED]
//
// Writes an OSWatcher ps archive of about SIZE bytes (100M, 500M, 1G, ...) in
// the layout of OSWatcher's Linux listing
//   ps -aeo user,pid,ppid,pri,pcpu,pmem,vsize,rssize,wchan,s,start,cputime,command
// one snapshot every 30 seconds, each opened by its "zzz ***" line and the
// column header. About 2,000 processes run at a time: system processes, the
// background processes of four database instances and their sessions.
// Sessions end now and then and new ones start with new process IDs; a few
// sessions are busy and their CPU% wanders. The same seed gives the same file.
// The cut positions of samples/tracerules.ini fit this layout.

#include "bench_util.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using kavro::bench::Random;

struct Process {
    std::string user;
    int pid = 0;
    int ppid = 1;
    int pri = 19;
    double cpu = 0; // percent, one decimal as ps prints it
    double mem = 0;
    long vsz = 0;
    long rss = 0;
    const char* wchan = "do_sem";
    std::string start;
    long cpu_seconds = 0;
    std::string command;
    bool busy = false;
};

const char* kInstances[] = {"ORCL", "HRPRD", "FINPRD", "DWH"};
const char* kBackground[] = {"pmon", "clmn", "psp0", "vktm", "gen0", "mman", "gen1", "diag", "ofsd",
                             "dbrm", "vkrm", "svcb", "pman", "dia0", "dbw0", "dbw1", "lgwr", "ckpt",
                             "lg00", "smon", "lg01", "smco", "reco", "w000", "lreg", "w001", "pxmn",
                             "mmon", "mmnl", "d000", "s000", "tmon", "rcbg", "tt00", "tt01", "arc0",
                             "arc1", "arc2", "arc3", "aqpc", "p000", "p001", "cjq0", "qm02", "q002",
                             "q003", "w002", "w003", "m000", "m001"};

class Generator {
public:
    explicit Generator(std::uint64_t seed) : rng_(seed) {
        const char* kernel[] = {"[kthreadd]",  "[rcu_gp]",    "[rcu_par_gp]", "[mm_percpu_wq]",
                                "[rcu_sched]", "[watchdogd]", "[kswapd0]",    "[khugepaged]",
                                "[kblockd]",   "[md]",        "[kauditd]",    "[xfsaild/dm-0]"};
        for (const char* k : kernel) add("root", k, 2, 0.0, 0, 0, "Jun 03");
        for (int cpu = 0; cpu < 16; ++cpu) {
            add("root", "[ksoftirqd/" + std::to_string(cpu) + "]", 2, 0.0, 0, 0, "Jun 03");
            add("root", "[migration/" + std::to_string(cpu) + "]", 2, 0.0, 0, 0, "Jun 03");
            add("root", "[kworker/" + std::to_string(cpu) + ":1H-kblockd]", 2, 0.0, 0, 0, "Jun 03");
        }
        add("root", "/usr/lib/systemd/systemd --switched-root --system --deserialize 22", 0, 0.0,
            193892, 6824, "Jun 03");
        add("root", "/usr/lib/systemd/systemd-journald", 1, 0.0, 39048, 4712, "Jun 03");
        add("root", "/usr/sbin/sshd -D", 1, 0.0, 112864, 4320, "Jun 03");
        add("root", "/usr/sbin/crond -n", 1, 0.0, 126288, 1688, "Jun 03");
        add("root", "/usr/bin/python2 -Es /usr/sbin/tuned -l -P", 1, 0.1, 573844, 17412, "Jun 03");
        add("grid", "/u01/app/12.1.0/grid/bin/tnslsnr LISTENER -no_crs_notify -inherit", 1, 0.0,
            272104, 16832, "Jun 03");
        oswatcher_pid_ = add("oracle", "/bin/sh ./OSWatcher.sh 30 48 gzip /u01/oswbb/archive", 1,
                             0.0, 113284, 1472, "Jun 03")
                             .pid;
        for (const char* db : kInstances)
            for (const char* bg : kBackground) {
                Process& p = add("oracle", std::string("ora_") + bg + "_" + db, 1, 0.0,
                                 2463752 + static_cast<long>(rng_.below(9000)),
                                 20000 + static_cast<long>(rng_.below(60000)), "Jun 03");
                if (!std::strcmp(bg, "lgwr") || !std::strcmp(bg, "dbw0")) p.busy = true;
            }
        while (procs_.size() < 2000) new_session();
    }

    // One snapshot at the given second of the day.
    void snapshot(long second, std::string& out) {
        char line[512];
        const int day = 6 + static_cast<int>(second / 86400);
        const std::string clock = hms(second % 86400);
        std::snprintf(line, sizeof line, "zzz ***%s Jun %d %s EST 2016\n", weekday(day), day,
                      clock.c_str());
        out += line;
        out += "USER       PID  PPID PRI %CPU %MEM    VSZ   RSS WCHAN  S  STARTED     TIME "
               "COMMAND\n";
        // Now and then a session ends between snapshots and a new one starts.
        for (std::size_t i = 0; i < procs_.size(); ++i) {
            Process& p = procs_[i];
            if (p.command.rfind("oracle", 0) == 0 && rng_.below(5000) == 0) {
                live_[static_cast<std::size_t>(p.pid)] = false;
                procs_[i] = procs_.back();
                procs_.pop_back();
                --i;
            }
        }
        while (procs_.size() < 2000) new_session(clock);
        // ps lists processes in process-ID order.
        std::sort(procs_.begin(), procs_.end(),
                  [](const Process& a, const Process& b) { return a.pid < b.pid; });
        for (Process& p : procs_) {
            if (p.busy) {
                p.cpu += static_cast<double>(static_cast<int>(rng_.below(81)) - 40) / 10.0;
                if (p.cpu < 0.5) p.cpu = 0.5;
                if (p.cpu > 99.0) p.cpu = 99.0;
                p.cpu_seconds += static_cast<long>(p.cpu * 0.3);
            } else if (rng_.below(50) == 0) {
                p.cpu = static_cast<double>(rng_.below(6)) / 10.0;
            }
        }
        for (const Process& p : procs_) write(p, out);
        // The listing shows its own ps command last.
        Process ps;
        ps.user = "oracle";
        ps.pid = next_pid();
        ps.ppid = oswatcher_pid_;
        ps.vsz = 153360;
        ps.rss = 1620;
        ps.wchan = "-";
        ps.start = clock;
        ps.command =
            "ps -aeo user,pid,ppid,pri,pcpu,pmem,vsize,rssize,wchan,s,start,cputime,command";
        write(ps, out);
        live_[static_cast<std::size_t>(ps.pid)] = false;
    }

private:
    Process& add(const std::string& user, const std::string& command, int ppid, double cpu,
                 long vsz, long rss, const char* start) {
        Process p;
        p.user = user;
        p.pid = next_pid();
        p.ppid = ppid;
        p.cpu = cpu;
        p.mem = static_cast<double>(rss) * 100.0 / 65'000'000.0;
        p.vsz = vsz;
        p.rss = rss;
        p.wchan = vsz == 0 ? "kthrea" : "do_sem";
        p.start = start;
        p.cpu_seconds = static_cast<long>(rng_.below(4000));
        p.command = command;
        procs_.push_back(std::move(p));
        return procs_.back();
    }

    void new_session(const std::string& start = "08:12:40") {
        const char* db = kInstances[rng_.below(4)];
        Process& p = add("oracle", std::string("oracle") + db + " (LOCAL=NO)", 1,
                         static_cast<double>(rng_.below(4)) / 10.0,
                         2466104 + static_cast<long>(rng_.below(30000)),
                         30000 + static_cast<long>(rng_.below(200000)), "");
        p.start = start;
        p.wchan = "pipe_w";
        if (rng_.below(100) < 3) {
            p.busy = true;
            p.cpu = 5.0 + static_cast<double>(rng_.below(500)) / 10.0;
        }
    }

    // Process IDs grow, wrap below 32768 as with the kernel's default pid_max
    // (so the PID column keeps its five characters) and skip the IDs of
    // processes still running.
    int next_pid() {
        do {
            last_pid_ += 1 + static_cast<int>(rng_.below(3));
            if (last_pid_ > 32767) last_pid_ = 300;
        } while (live_[static_cast<std::size_t>(last_pid_)]);
        live_[static_cast<std::size_t>(last_pid_)] = true;
        return last_pid_;
    }

    static std::string hms(long s) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", s / 3600, (s / 60) % 60, s % 60);
        return buf;
    }
    static const char* weekday(int day) {
        static const char* names[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        return names[(day - 5 + 7000) % 7]; // 6 June 2016 was a Monday
    }

    static void write(const Process& p, std::string& out) {
        char line[512];
        const std::string time = hms(p.cpu_seconds);
        const int n = std::snprintf(
            line, sizeof line, "%-8s %5d %5d %3d %4.1f %4.1f %6ld %5ld %-6s %c %8s %8s %s\n",
            p.user.c_str(), p.pid, p.ppid, p.pri, p.cpu, p.mem, p.vsz, p.rss, p.wchan,
            p.cpu >= 5 ? 'R' : 'S', p.start.c_str(), time.c_str(), p.command.c_str());
        out.append(line, static_cast<std::size_t>(n < 0 ? 0 : std::min<int>(n, sizeof line - 1)));
    }

    Random rng_;
    std::vector<Process> procs_;
    std::vector<bool> live_ = std::vector<bool>(32768, false);
    int last_pid_ = 0;
    int oswatcher_pid_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: gen_ps SIZE OUTFILE [SEED]\n");
        return 2;
    }
    const std::uint64_t size = kavro::bench::parse_size(argv[1]);
    const std::uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;
    std::FILE* f = std::fopen(argv[2], "wb");
    if (!f) {
        std::perror(argv[2]);
        return 1;
    }
    Generator gen(seed);
    std::string out = "Linux OSWbb v8.1.2 dbhost01\nSNAP_INTERVAL 30\nCPU_CORES 8\nVCPUS 16\n"
                      "OSWBB_ARCHIVE_DEST /u01/oswbb/archive\n";
    std::uint64_t written = 0;
    long second = 0;
    while (written + out.size() < size) {
        gen.snapshot(second, out);
        second += 30;
        if (out.size() > (8u << 20)) {
            written += std::fwrite(out.data(), 1, out.size(), f);
            out.clear();
        }
    }
    written += std::fwrite(out.data(), 1, out.size(), f);
    if (std::fclose(f) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    std::printf("%s: %llu bytes, %ld snapshots\n", argv[2],
                static_cast<unsigned long long>(written), second / 30);
    return 0;
}
