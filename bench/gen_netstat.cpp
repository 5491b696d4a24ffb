// gen_netstat SIZE OUTFILE [SEED] [linux|aix]
//
// Writes an OSWatcher netstat archive of about SIZE bytes (100M, 1G, ...):
// a snapshot every 30 seconds, each opened by its "zzz ***" line and holding
// the interface table and the per-protocol statistics of the chosen system,
// with counters that grow by a random amount from snapshot to snapshot (and
// an occasional fall of a gauge). The same seed gives the same file.

#include "bench_util.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using kavro::bench::Random;

// One line of the statistics: a header, a fixed text, or a counter with
// the wording after its number. A counter's step is drawn from [lo, hi];
// a negative lo makes it a gauge that can fall.
struct Line {
    enum Kind { Header, Text, Counter } kind;
    const char* text;
    long long start = 0;
    long long lo = 0, hi = 0;
    const char* indent = "    ";
};

Line H(const char* t) {
    return {Line::Header, t};
}
Line T(const char* t, const char* indent = "    ") {
    return {Line::Text, t, 0, 0, 0, indent};
}
Line C(const char* t, long long start, long long lo, long long hi, const char* indent = "    ") {
    return {Line::Counter, t, start, lo, hi, indent};
}

std::vector<Line> linux_lines() {
    return {H("Ip:"),
            T("Forwarding: 1"),
            C("total packets received", 3281070, 900, 1500),
            C("with invalid addresses", 4, 0, 0),
            C("forwarded", 0, 0, 0),
            C("incoming packets discarded", 0, 0, 1),
            C("incoming packets delivered", 3281010, 900, 1500),
            C("requests sent out", 3377450, 950, 1600),
            C("dropped because of missing route", 4165, 0, 2),
            H("Icmp:"),
            C("ICMP messages received", 714, 0, 3),
            C("input ICMP message failed", 423, 0, 2),
            T("ICMP input histogram:"),
            T("destination unreachable: 714", "        "),
            C("ICMP messages sent", 714, 0, 3),
            C("ICMP messages failed", 0, 0, 0),
            H("IcmpMsg:"),
            T("InType3: 714", "        "),
            T("OutType3: 714", "        "),
            H("Tcp:"),
            C("active connection openings", 54035, 10, 40),
            C("passive connection openings", 354, 1, 6),
            C("failed connection attempts", 53223, 0, 5),
            C("connection resets received", 21, 0, 1),
            C("connections established", 13, -3, 3),
            C("segments received", 2716540, 700, 1300),
            C("segments sent out", 2860450, 750, 1400),
            C("segments retransmitted", 441, 0, 9),
            C("bad segments received", 0, 0, 0),
            C("resets sent", 2743, 0, 4),
            H("Udp:"),
            C("packets received", 557200, 150, 260),
            C("packets to unknown port received", 0, 0, 1),
            C("packet receive errors", 0, 0, 1),
            C("packets sent", 557200, 150, 260),
            C("receive buffer errors", 0, 0, 0),
            C("send buffer errors", 0, 0, 0),
            T("IgnoredMulti: 15"),
            H("UdpLite:"),
            H("TcpExt:"),
            C("TCP sockets finished time wait in fast timer", 1, 0, 1),
            C("delayed acks sent", 20904, 20, 60),
            T("Quick ack mode was activated 3 times"),
            C("packet headers predicted", 98365, 100, 300),
            C("acknowledgments not containing data payload received", 1663, 2, 8),
            C("predicted acknowledgments", 83286, 80, 200),
            T("TCPTimeouts: 668"),
            C("connections reset due to unexpected data", 322, 0, 2),
            T("TCPSynRetrans: 439"),
            T("TCPOrigDataSent: 143400"),
            H("IpExt:"),
            T("InNoRoutes: 2"),
            T("InOctets: 282605781"),
            T("OutOctets: 37102828")};
}

std::vector<Line> aix_lines() {
    const char* t1 = "\t";
    const char* t2 = "\t\t";
    return {H("icmp:"),
            C("calls to icmp_error", 12, 0, 2, t1),
            C("errors not generated because old message was icmp", 0, 0, 0, t1),
            T("Output histogram:", t1),
            T("echo reply: 42", t2),
            C("messages with bad code fields", 0, 0, 0, t1),
            C("bad checksums", 0, 0, 0, t1),
            C("message responses generated", 42, 0, 2, t1),
            H("igmp:"),
            C("messages received", 0, 0, 1, t1),
            C("messages received with too few bytes", 0, 0, 0, t1),
            C("membership reports sent", 3, 0, 1, t1),
            H("tcp:"),
            C("packets sent", 123456, 800, 1600, t1),
            C("data packets (2345678 bytes)", 100000, 600, 1200, t2),
            C("data packets (34567 bytes) retransmitted", 120, 0, 6, t2),
            C("ack-only packets (1234 delayed)", 5678, 50, 150, t2),
            C("window update packets", 12, 0, 3, t2),
            C("control packets", 345, 2, 12, t2),
            C("packets received", 234567, 900, 1700, t1),
            C("acks (for 2345000 bytes)", 150000, 500, 1000, t2),
            C("duplicate acks", 230, 0, 4, t2),
            C("packets (12345678 bytes) received in-sequence", 180000, 700, 1300, t2),
            C("connection requests", 1234, 2, 10, t1),
            C("connection accepts", 567, 1, 6, t1),
            C("connections established (including accepts)", 1790, 3, 14, t1),
            C("connections closed (including 12 drops)", 1700, 3, 14, t1),
            C("retransmit timeouts", 45, 0, 3, t1),
            C("keepalive timeouts", 30, 0, 2, t1),
            H("udp:"),
            C("datagrams received", 5678, 40, 120, t1),
            C("incomplete headers", 0, 0, 0, t1),
            C("bad checksums", 0, 0, 0, t1),
            C("dropped due to no socket", 12, 0, 2, t1),
            C("socket buffer overflows", 0, 0, 1, t1),
            C("datagrams output", 6789, 40, 120, t1),
            H("ip:"),
            C("total packets received", 345678, 1000, 2000, t1),
            C("bad header checksums", 0, 0, 0, t1),
            C("fragments received", 24, 0, 2, t1),
            C("packets for this host", 345600, 1000, 2000, t1),
            C("packets sent from this host", 300000, 900, 1800, t1),
            C("output packets dropped due to no bufs, etc.", 0, 0, 0, t1),
            H("ipv6:"),
            C("total packets received", 0, 0, 3, t1),
            C("packets sent from this host", 0, 0, 3, t1),
            H("icmpv6:"),
            C("calls to icmp6_error", 0, 0, 0, t1),
            C("message responses generated", 0, 0, 0, t1)};
}

const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool leap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
int month_days(int y, int m) {
    static const int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 1 && leap(y) ? 29 : d[m];
}

// Snapshot clock: starts Mon Jun 6 10:00:01 2016 and steps 30 seconds.
struct Clock {
    int year = 2016, month = 5, day = 6, weekday = 1;
    long long seconds = 10 * 3600 + 1;
    void step(int by) {
        seconds += by;
        while (seconds >= 86400) {
            seconds -= 86400;
            weekday = (weekday + 1) % 7;
            if (++day > month_days(year, month)) {
                day = 1;
                if (++month == 12) month = 0, ++year;
            }
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: gen_netstat SIZE OUTFILE [SEED] [linux|aix]\n");
        return 2;
    }
    const std::uint64_t size = kavro::bench::parse_size(argv[1]);
    const std::uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;
    const std::string system = argc > 4 ? argv[4] : "linux";
    if (system != "linux" && system != "aix") {
        std::fprintf(stderr, "gen_netstat: system must be linux or aix, not %s\n", system.c_str());
        return 2;
    }
    const bool aix = system == "aix";
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out) {
        std::perror(argv[2]);
        return 1;
    }

    Random rnd(seed);
    std::vector<Line> lines = aix ? aix_lines() : linux_lines();
    std::vector<long long> value;
    for (const Line& l : lines) value.push_back(l.start);
    long long rx = 123456789, tx = 98765432;

    std::string buf;
    buf.reserve(1 << 20);
    std::uint64_t written = 0;
    const auto flush = [&] {
        std::fwrite(buf.data(), 1, buf.size(), out);
        written += buf.size();
        buf.clear();
    };
    char line[256];
    buf += aix ? "AIX OSWbb v8.1.2 aixdb01\n" : "Linux OSWbb v8.1.2 lnxdb01\n";
    buf += "SNAP_INTERVAL 30\nCPU_CORES 4\nVCPUS 8\n";

    Clock clock;
    long long snapshots = 0;
    while (written + buf.size() < size) {
        std::snprintf(line, sizeof line, "zzz ***%s %s %d %02lld:%02lld:%02lld CDT %d\n",
                      kDays[clock.weekday], kMonths[clock.month], clock.day, clock.seconds / 3600,
                      clock.seconds / 60 % 60, clock.seconds % 60, clock.year);
        buf += line;
        rx += static_cast<long long>(1200 + rnd.below(1300));
        tx += static_cast<long long>(1100 + rnd.below(1300));
        if (aix) {
            buf += "Name  Mtu   Network     Address            Ipkts Ierrs    Opkts Oerrs  Coll\n";
            std::snprintf(line, sizeof line,
                          "en0   1500  10.1.2      10.1.2.15     %10lld     0 %10lld     0     0\n",
                          rx, tx);
            buf += line;
            buf += "lo0   16896 127         127.0.0.1         1203456     0  1203456     0     0\n";
        } else {
            buf += "Kernel Interface table\n"
                   "Iface      MTU    RX-OK RX-ERR RX-DRP RX-OVR    TX-OK TX-ERR TX-DRP TX-OVR "
                   "Flg\n";
            std::snprintf(line, sizeof line,
                          "eth0      1500 %9lld      0      0      0 %9lld      0      0      0 "
                          "BMRU\n",
                          rx, tx);
            buf += line;
            buf += "lo       65536    1203456      0      0      0   1203456      0      0      0 "
                   "LRU\n";
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Line& l = lines[i];
            if (l.kind == Line::Header) {
                buf += l.text;
                buf += '\n';
                continue;
            }
            if (l.kind == Line::Text) {
                buf += l.indent;
                buf += l.text;
                buf += '\n';
                continue;
            }
            if (snapshots > 0 && l.hi > l.lo)
                value[i] += l.lo + static_cast<long long>(
                                       rnd.below(static_cast<std::uint64_t>(l.hi - l.lo + 1)));
            if (value[i] < 0) value[i] = 0;
            std::snprintf(line, sizeof line, "%s%lld %s\n", l.indent, value[i], l.text);
            buf += line;
        }
        ++snapshots;
        clock.step(30);
        if (buf.size() > (1u << 20) - 8192) flush();
    }
    flush();
    std::fclose(out);
    std::fprintf(stderr, "gen_netstat: %lld snapshots, %llu bytes (%s)\n", snapshots,
                 static_cast<unsigned long long>(written), system.c_str());
    return 0;
}
