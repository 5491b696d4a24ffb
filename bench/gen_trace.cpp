// gen_trace SIZE OUTFILE [SEED]
//
// Writes an extended SQL trace of about SIZE bytes (100M, 1G, ...): a file
// header, then cursors parsed, bound, executed and fetched with their wait
// events, plan lines, closes and transaction ends, and a time stamp line now
// and then. Thousands of cursors (a few of them busy, most rare) and a few
// dozen wait events, tim= growing by the elapsed times, so the analysis
// meets what a busy session writes.

#include "bench/bench_util.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

using kavro::bench::Random;

namespace {

struct Event {
    const char* name;
    const char* p1; // parameter names after ela=
    const char* p2;
    const char* p3;
    int ela_max; // microseconds
    bool block;  // p1..p3 are file#, block#, blocks: the obj# is a segment
};

constexpr Event kEvents[] = {
    {"db file sequential read", "file#", "block#", "blocks", 9000, true},
    {"db file scattered read", "file#", "block#", "blocks", 20000, true},
    {"db file parallel read", "files", "blocks", "requests", 30000, true},
    {"direct path read", "file number", "first dba", "block cnt", 15000, true},
    {"direct path read temp", "file number", "first dba", "block cnt", 12000, true},
    {"direct path write temp", "file number", "first dba", "block cnt", 12000, true},
    {"read by other session", "file#", "block#", "class#", 8000, true},
    {"gc cr block 2-way", "p1", "p2", "p3", 900, true},
    {"gc current block 2-way", "p1", "p2", "p3", 900, true},
    {"gc cr grant 2-way", "p1", "p2", "p3", 700, true},
    {"gc cr multi block request", "file#", "block#", "class#", 2500, true},
    {"gc buffer busy acquire", "file#", "block#", "class#", 4000, true},
    {"cell single block physical read", "cellhash#", "diskhash#", "bytes", 1500, true},
    {"cell multiblock physical read", "cellhash#", "diskhash#", "bytes", 6000, true},
    {"SQL*Net message to client", "driver id", "#bytes", "p3", 5, false},
    {"SQL*Net message from client", "driver id", "#bytes", "p3", 900000, false},
    {"SQL*Net more data to client", "driver id", "#bytes", "p3", 200, false},
    {"SQL*Net more data from client", "driver id", "#bytes", "p3", 400, false},
    {"log file sync", "buffer#", "sync scn", "p3", 4000, false},
    {"log buffer space", "p1", "p2", "p3", 9000, false},
    {"latch: cache buffers chains", "address", "number", "tries", 300, false},
    {"latch: shared pool", "address", "number", "tries", 500, false},
    {"latch free", "address", "number", "tries", 400, false},
    {"library cache lock", "handle address", "lock address", "100*mode+namespace", 2000, false},
    {"library cache pin", "handle address", "pin address", "100*mode+namespace", 1500, false},
    {"cursor: pin S wait on X", "idn", "value", "where", 10000, false},
    {"row cache lock", "cache id", "mode", "request", 1200, false},
    {"enq: TX - row lock contention", "name|mode", "usn<<16 | slot", "sequence", 500000, false},
    {"enq: TM - contention", "name|mode", "object #", "table/partition", 80000, false},
    {"buffer busy waits", "file#", "block#", "class#", 3000, true},
    {"free buffer waits", "file#", "block#", "set-id#", 6000, true},
    {"PGA memory operation", "p1", "p2", "p3", 60, false},
    {"Disk file operations I/O", "FileOperation", "fileno", "filetype", 200, false},
    {"control file sequential read", "file#", "block#", "blocks", 900, false},
    {"asynch descriptor resize", "outstanding #aio", "current aio limit", "new aio limit", 10,
     false},
    {"resmgr:cpu quantum", "location", "consumer group id", " ", 20000, false},
};
constexpr std::size_t kEventCount = std::size(kEvents);

constexpr const char* kTables[] = {
    "ORDERS", "ORDER_LINES", "CUSTOMERS", "PRODUCTS",  "INVOICES",    "PAYMENTS",    "SHIPMENTS",
    "STOCK",  "ACCOUNTS",    "LEDGER",    "EMPLOYEES", "DEPARTMENTS", "AUDIT_TRAIL", "SESSIONS"};
constexpr const char* kOperations[] = {"TABLE ACCESS BY INDEX ROWID",
                                       "INDEX RANGE SCAN",
                                       "INDEX UNIQUE SCAN",
                                       "TABLE ACCESS FULL",
                                       "HASH JOIN",
                                       "NESTED LOOPS",
                                       "SORT ORDER BY",
                                       "SORT AGGREGATE",
                                       "HASH GROUP BY",
                                       "VIEW",
                                       "FILTER",
                                       "INDEX FAST FULL SCAN",
                                       "TABLE ACCESS BY INDEX ROWID BATCHED",
                                       "COUNT STOPKEY"};

class Out {
public:
    explicit Out(std::FILE* f) : f_(f) { buf_.reserve(kFlush + 65536); }
    ~Out() { flush(); }
    Out& s(std::string_view t) {
        buf_.append(t);
        return *this;
    }
    Out& n(long long v) {
        char tmp[24];
        auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
        buf_.append(tmp, r.ptr);
        return *this;
    }
    Out& nl() {
        buf_.push_back('\n');
        if (buf_.size() >= kFlush) flush();
        return *this;
    }
    std::uint64_t written() const { return written_ + buf_.size(); }
    void flush() {
        if (buf_.empty()) return;
        std::fwrite(buf_.data(), 1, buf_.size(), f_);
        written_ += buf_.size();
        buf_.clear();
    }

private:
    static constexpr std::size_t kFlush = std::size_t(4) << 20;
    std::FILE* f_;
    std::string buf_;
    std::uint64_t written_ = 0;
};

struct Cursor {
    long long number = 0;
    int table = 0;
    int plan_lines = 0;
    int dep = 0;
    bool plan_written = false;
    long long hv = 0;
};

class Session {
public:
    Session(Out& out, std::uint64_t seed) : out_(out), rnd_(seed) {
        cursors_.resize(4000);
        for (auto& c : cursors_) {
            c.number = 140000000000000LL + static_cast<long long>(rnd_.below(999999999999LL));
            c.table = static_cast<int>(rnd_.below(std::size(kTables)));
            c.plan_lines = 1 + static_cast<int>(rnd_.below(8));
            c.dep = rnd_.below(4) == 0 ? 1 : 0;
            c.hv = static_cast<long long>(rnd_.below(4294967295LL));
        }
        // Statement popularity falls off as 1/rank, as the top-SQL lists of
        // real systems do: a few statements run most of the time, thousands
        // run now and then.
        double total = 0;
        for (std::size_t k = 0; k < cursors_.size(); ++k) {
            total += 1.0 / static_cast<double>(k + 1);
            popularity_.push_back(total);
        }
    }

    void header() {
        out_.s("Trace file /u01/app/oracle/diag/rdbms/prod/prod1/trace/prod1_ora_4711.trc").nl();
        out_.s("Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production").nl();
        out_.s("Version 19.21.0.0.0").nl();
        out_.s("Build label:    RDBMS_19.21.0.0.0DBRU_LINUX.X64_231005").nl();
        out_.s("ORACLE_HOME:    /u01/app/oracle/product/19.0.0/dbhome_1").nl();
        out_.s("System name:\tLinux").nl();
        out_.s("Node name:\tdbhost01.example.com").nl();
        out_.s("Instance name: prod1").nl();
        out_.s("Redo thread mounted by this instance: 1").nl();
        out_.s("Oracle process number: 87").nl();
        out_.s("Unix process pid: 4711, image: oracle@dbhost01.example.com").nl();
        out_.nl().nl();
        stamp();
        out_.s("*** SESSION ID:(1234.5678) 2024-03-04T09:00:00.000000+01:00").nl();
        out_.s("*** SERVICE NAME:(prod.example.com) 2024-03-04T09:00:00.000000+01:00").nl();
        out_.s("*** MODULE NAME:(JDBC Thin Client) 2024-03-04T09:00:00.000000+01:00").nl();
        out_.s("*** ACTION NAME:() 2024-03-04T09:00:00.000000+01:00").nl();
        out_.nl();
    }

    // One call of a cursor: parse (with the SQL text the first time),
    // binds, execute, waits, fetches, plan lines, close.
    void call() {
        Cursor& c = pick_cursor();
        if (rnd_.below(40) == 0) stamp();
        if (!c.plan_written || rnd_.below(10) == 0) parse(c);
        if (rnd_.below(3) == 0) binds(c);
        wait_burst(c, 1 + static_cast<int>(rnd_.below(4)));
        cpu_line("EXEC", c, 0);
        const int fetches = 1 + static_cast<int>(rnd_.below(6));
        for (int f = 0; f < fetches; ++f) {
            wait(c, kEvents[14]); // to client
            wait_burst(c, static_cast<int>(rnd_.below(5)));
            cpu_line("FETCH", c, 1 + static_cast<long long>(rnd_.below(200)));
            wait(c, kEvents[15]); // from client
        }
        if (!c.plan_written) plan(c);
        cpu_line("CLOSE", c, -1);
        if (rnd_.below(8) == 0) {
            out_.s("XCTEND rlbk=0, rd_only=").n(static_cast<long long>(rnd_.below(2)));
            out_.s(", tim=").n(tim_).nl();
        }
    }

private:
    Cursor& pick_cursor() {
        const double u = static_cast<double>(rnd_.below(1u << 30)) / static_cast<double>(1u << 30);
        const auto at =
            std::upper_bound(popularity_.begin(), popularity_.end(), u * popularity_.back());
        const auto k = std::min<std::size_t>(static_cast<std::size_t>(at - popularity_.begin()),
                                             cursors_.size() - 1);
        return cursors_[k];
    }

    void stamp() {
        const long long s = (tim_ - start_) / 1000000;
        char buf[64];
        std::snprintf(buf, sizeof buf, "*** 2024-03-04T%02lld:%02lld:%02lld.%06lld+01:00",
                      (9 + s / 3600) % 24, (s / 60) % 60, s % 60, tim_ % 1000000);
        out_.s(buf).nl();
    }

    void parse(Cursor& c) {
        const bool first = !c.plan_written;
        if (first) {
            out_.s("=====================").nl();
            out_.s("PARSING IN CURSOR #").n(c.number).s(" len=").n(60 + c.table);
            out_.s(" dep=").n(c.dep).s(" uid=112 oct=3 lid=112 tim=").n(tim_);
            out_.s(" hv=").n(c.hv).s(" ad='7f3a").n(c.hv % 100000).s("' sqlid='");
            out_.s("9babjv8yq8ru").n(c.hv % 10).s("'").nl();
            out_.s("SELECT t.id, t.status, t.amount FROM ").s(kTables[c.table]);
            out_.s(" t WHERE t.id = :1 AND t.created > SYSDATE - :2 ORDER BY t.created").nl();
            out_.s("END OF STMT").nl();
        }
        cpu_line("PARSE", c, 0);
    }

    void binds(const Cursor& c) {
        out_.s("BINDS #").n(c.number).s(":").nl();
        out_.s(" Bind#0").nl();
        out_.s("  oacdty=02 mxl=22(22) mxlc=00 mal=00 scl=00 pre=00").nl();
        out_.s("  oacflg=00 fl2=1000001 frm=00 csi=00 siz=24 off=0").nl();
        out_.s("  kxsbbbfp=7fc23b65c748  bln=22  avl=03  flg=05").nl();
        out_.s("  value=").n(static_cast<long long>(rnd_.below(1000000))).nl();
    }

    void wait_burst(const Cursor& c, int n) {
        for (int i = 0; i < n; ++i) {
            // A few events dominate, as in real sessions: sequential reads,
            // cluster transfers and CPU-scheduling waits.
            const std::size_t e = rnd_.below(3) == 0 ? rnd_.below(kEventCount) : rnd_.below(8);
            wait(c, kEvents[e]);
        }
    }

    void wait(const Cursor& c, const Event& e) {
        const long long ela = 1 + static_cast<long long>(rnd_.below(static_cast<unsigned>(
                                      rnd_.below(4) == 0 ? e.ela_max : e.ela_max / 20 + 1)));
        tim_ += ela + static_cast<long long>(rnd_.below(50));
        out_.s("WAIT #").n(c.number).s(": nam='").s(e.name).s("' ela= ").n(ela);
        if (e.block) {
            out_.s(" ").s(e.p1).s("=").n(1 + static_cast<long long>(rnd_.below(40)));
            out_.s(" ").s(e.p2).s("=").n(static_cast<long long>(rnd_.below(4000000)));
            out_.s(" ").s(e.p3).s("=").n(1 + static_cast<long long>(rnd_.below(16)));
            out_.s(" obj#=").n(70000 + c.table * 13 + static_cast<long long>(rnd_.below(6)));
        } else {
            out_.s(" ").s(e.p1).s("=").n(1413697536);
            out_.s(" ").s(e.p2).s("=").n(1 + static_cast<long long>(rnd_.below(8)));
            out_.s(" ").s(e.p3).s("=0 obj#=-1");
        }
        out_.s(" tim=").n(tim_).nl();
    }

    // PARSE, EXEC and FETCH lines; rows < 0 writes a CLOSE line.
    void cpu_line(const char* what, const Cursor& c, long long rows) {
        const long long e = 3 + static_cast<long long>(rnd_.below(rows > 0 ? 4000 : 300));
        tim_ += e;
        out_.s(what).s(" #").n(c.number).s(":c=").n(e / 2).s(",e=").n(e);
        if (rows < 0) {
            out_.s(",dep=").n(c.dep).s(",type=").n(static_cast<long long>(rnd_.below(4)));
        } else {
            out_.s(",p=").n(static_cast<long long>(rnd_.below(rows > 0 ? 20 : 2)));
            out_.s(",cr=").n(static_cast<long long>(rnd_.below(rows > 0 ? 500 : 5)));
            out_.s(",cu=").n(static_cast<long long>(rnd_.below(3)));
            out_.s(",mis=").n(rows == 0 && rnd_.below(20) == 0 ? 1 : 0);
            out_.s(",r=").n(rows > 0 ? rows : 0).s(",dep=").n(c.dep);
            out_.s(",og=1,plh=").n(c.hv / 3);
        }
        out_.s(",tim=").n(tim_).nl();
    }

    void plan(Cursor& c) {
        c.plan_written = true;
        long long time = 50 + static_cast<long long>(rnd_.below(20000));
        for (int id = 1; id <= c.plan_lines; ++id) {
            const int pos = id == 1 ? 1 : 1 + static_cast<int>(rnd_.below(2));
            out_.s("STAT #").n(c.number).s(" id=").n(id);
            out_.s(" cnt=").n(static_cast<long long>(rnd_.below(5000)));
            out_.s(" pid=").n(id - 1).s(" pos=").n(pos);
            out_.s(" obj=").n(id == 1 ? 0 : 70000 + c.table * 13 + id);
            out_.s(" op='").s(kOperations[(c.table + id) % std::size(kOperations)]);
            out_.s(" ").s(kTables[c.table]);
            out_.s(" (cr=").n(static_cast<long long>(rnd_.below(900)));
            out_.s(" pr=").n(static_cast<long long>(rnd_.below(40)));
            out_.s(" pw=0 str=1 time=").n(time).s(" us cost=");
            out_.n(1 + static_cast<long long>(rnd_.below(300)));
            out_.s(" size=").n(static_cast<long long>(rnd_.below(90000)));
            out_.s(" card=").n(1 + static_cast<long long>(rnd_.below(4000))).s(")'").nl();
            time = time * 2 / 3 + 1;
        }
    }

    Out& out_;
    Random rnd_;
    std::vector<Cursor> cursors_;
    std::vector<double> popularity_; // cumulative 1/rank weights
    long long start_ = 5793511830853LL;
    long long tim_ = start_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: gen_trace SIZE OUTFILE [SEED]\n");
        return 2;
    }
    const std::uint64_t target = kavro::bench::parse_size(argv[1]);
    const std::uint64_t seed = argc == 4 ? std::stoull(argv[3]) : 1;
    std::FILE* f = std::fopen(argv[2], "wb");
    if (!f) {
        std::perror(argv[2]);
        return 1;
    }
    std::uint64_t written = 0;
    {
        Out out(f);
        Session session(out, seed);
        session.header();
        while (out.written() < target) session.call();
        out.flush();
        written = out.written();
    }
    if (std::fclose(f) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    std::printf("%s: %llu bytes\n", argv[2], static_cast<unsigned long long>(written));
    return 0;
}
