// Bad content given to the four analyses, each case with the outcome the
// page documents: the error text the message box shows (or none) and the
// size of what the analysis left behind, plus a cell or point where the case
// is about one. After every case the other pages are as they were and the
// page analyses its sample as after start-up.
//
// Each page's cases share one well-formed snapshot (`base`); the cases bend
// it: other line ends, a byte 26, UTF-16, NUL bytes, numbers past the 32-bit
// and the double range, and every marker the analysis looks for removed in
// turn.

#include "core/error.h"
#include "hostile.h"
#include "window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>

namespace kavro::testing {
namespace {

using namespace std::string_literals;

struct Case {
    std::string name;
    std::string content;
    std::string error; // the message shown; empty when the analysis succeeds
    std::string shape; // what the page holds afterwards, see shape()
    std::function<void(TForm1&)> check = nullptr;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

// Data rows of a table: rows 1 to RowCount - 1, less a last row whose first
// cell is empty (the append slot, or the blank row of an empty table).
int rows(const StringTable& t) {
    int n = t.RowCount() - 1;
    if (n > 0 && t.Cell(0, t.RowCount() - 1).empty()) --n;
    return n;
}

int points(const Chart& chart) {
    int n = 0;
    for (int i = 0; i < chart.series_count(); ++i) n += chart.series(i).point_count();
    return n;
}

int active(const Chart& chart) {
    int n = 0;
    for (int i = 0; i < chart.series_count(); ++i) n += chart.series(i).active();
    return n;
}

std::string shape(Page page, TForm1& f) {
    const auto n = [](int v) { return std::to_string(v); };
    switch (page) {
    case Page::Trace: {
        const TracePage& t = f.trace;
        return "detail=" + n(rows(t.trace_detail)) + " detail2=" + n(rows(t.trace_detail2)) +
               " touch1=" + n(rows(t.touch_grid1)) + " touch2=" + n(rows(t.touch_grid2)) +
               " plan=" + n(rows(t.execplan_grid)) + " series=" + n(t.trace_graph.series_count()) +
               " cursors=" + n(t.cursor_combo.count());
    }
    case Page::Ps: {
        const PsPage& p = f.ps;
        return "rows=" + n(rows(p.osw_ps_grid)) +
               " series=" + n(p.osw_process_chart.series_count()) +
               " active=" + n(active(p.osw_process_chart)) +
               " gantt=" + n(static_cast<int>(p.osw_gantt.series(0).bars().size())) +
               " bars=" + n(p.osw_proc_count_chart.series(0).point_count());
    }
    case Page::Mpstat: {
        const MpstatPage& m = f.mpstat;
        return "series=" + n(m.cpu_util_chart.series_count()) +
               " points=" + n(points(m.cpu_util_chart)) + " entries=" + n(m.cpu_num.count());
    }
    case Page::Netstat: {
        const NetstatPage& s = f.netstat;
        return "raw=" + n(rows(s.nets_raw)) + " metrics=" + n(s.net_combo.count()) +
               " anal=" + n(rows(s.nets_anal)) + " series=" + n(s.nets_graph.series_count()) +
               " bars=" + n(points(s.nets_graph));
    }
    }
    return {};
}

// The message a conversion shows for a text of the file.
std::string not_float(std::string_view text) {
    return quoted_message("'", text, "' is not a valid floating point value");
}
std::string not_integer(std::string_view text) {
    return quoted_message("'", text, "' is not a valid integer value");
}

// Cases every page gets, with the page's base content.
void add_common(std::vector<Case>& cases, const std::vector<std::string>& base,
                const std::string& empty_shape) {
    cases.insert(cases.begin(),
                 {{"Empty", "", "", empty_shape},
                  {"Binary", binary_bytes(64 << 10, true), "", empty_shape},
                  {"BinaryWithoutCtrlZ", binary_bytes(64 << 10, false), "", empty_shape},
                  {"Utf16", utf16le(joined(base)), "", empty_shape}});
}

// ---------------------------------------------------------------- trace

const std::string kW1 = "WAIT #1: nam='db file sequential read' ela= 100 file#=4 block#=55 "
                        "blocks=1 obj#=77 tim=900";
const std::string kW2 = "WAIT #1: nam='db file sequential read' ela= 50 file#=4 block#=56 "
                        "blocks=1 obj#=78 tim=950";
const std::string kF1 = "FETCH #1:c=0,e=45,p=0,cr=7,cu=0,mis=0,r=1,dep=0,og=1,tim=990";
const std::string kS1 = "STAT #1 id=1 cnt=14 pid=0 pos=1 obj=512 op='TABLE ACCESS FULL EMP "
                        "(cr=8 pr=6 pw=0 time=236 us cost=3 size=532 card=14)'";

std::string with(std::string line, const std::string& from, const std::string& to) {
    line.replace(line.find(from), from.size(), to);
    return line;
}

// A cell of a trace result table, read after the analysis.
std::function<void(TForm1&)> cell_is(StringTable TracePage::*table, int col, int row,
                                     std::string want) {
    return [=](TForm1& f) {
        const StringTable& t = f.trace.*table;
        EXPECT_EQ(std::string(t.Cell(col, row)), want) << "cell " << col << "," << row;
    };
}

// A marker as part of a test name: "obj#=" gives "objHash".
std::string marker_name(std::string_view marker) {
    std::string out;
    for (char c : marker) {
        if (std::isalnum(static_cast<unsigned char>(c))) out.push_back(c);
        if (c == '#') out += "Hash";
        if (c == ':') out += "Colon";
        if (c == '\'') out += "Quote";
        if (c == '(') out += "Open";
        if (c == ')') out += "Close";
    }
    return out;
}

std::vector<Case> trace_cases() {
    const std::vector<std::string> base = {kW1, kW2, kF1, kS1};
    // With the shipped rules: ela= plotted and summed, e= cr= r= plotted and
    // six fetch metrics summed, obj#= the block metric.
    const std::string full = "detail=2 detail2=3 touch1=7 touch2=2 plan=1 series=4 cursors=2";
    std::vector<Case> cases = {
        {"NulBytes", joined({"WAIT #1: nam='db\0x' ela= 5 obj#=7 tim=1"s}), "",
         "detail=1 detail2=0 touch1=1 touch2=1 plan=0 series=1 cursors=2",
         cell_is(&TracePage::trace_detail, 0, 1, "#1:db\0x"s)},
        // One line of both waits: the time runs on into the second one.
        {"CrOnly", joined({kW1, kW2}, "\r"), not_float("900" + kW2),
         "detail=1 detail2=0 touch1=1 touch2=1 plan=0 series=1 cursors=1"},
        {"CrLfMixed", mixed_line_ends(base) + "\r", "", full,
         [](TForm1& f) {
             EXPECT_EQ(f.trace.trace_detail.Cell(3, 1), "900");
             EXPECT_EQ(f.trace.execplan_grid.Cell(10, 1), "14");
         }},
        {"CtrlZInTheMiddle", joined({kW1, kW2, kF1}) + "\x1a" + kS1 + "\n", "",
         "detail=2 detail2=3 touch1=7 touch2=2 plan=0 series=4 cursors=2"},
        // Numbers past the 32-bit range are real numbers to the sums.
        {"Beyond32Bit", joined({with(kW1, "100", "4294967296"), kW2, kF1, kS1}), "", full,
         cell_is(&TracePage::touch_grid1, 1, 1, "4294967346")},
        // A value past the double range fails where it is first converted:
        // its key's second occurrence, in the scan.
        {"BeyondDoubleInASum", joined({with(kW1, "100", "1e400"), kW2, kF1, kS1}),
         not_float("1e400"), "detail=2 detail2=0 touch1=1 touch2=1 plan=0 series=0 cursors=1"},
        // Two sums that overflow together make INF, which the pies reject.
        {"SumOverflows", joined({with(kW1, "100", "1e308"), with(kW2, "50", "1e308"), kF1, kS1}),
         not_float("INF"), "detail=2 detail2=3 touch1=7 touch2=2 plan=1 series=4 cursors=1"},
        {"TimeBeyondDouble", joined({with(kW1, "tim=900", "tim=1e999"), kW2, kF1, kS1}),
         not_float("1e999"), "detail=2 detail2=3 touch1=7 touch2=2 plan=1 series=4 cursors=1"},
        // The plan's pos is an integer: past the 32-bit range it ends the
        // scan, with the cells cut before it left in the slot.
        {"PosBeyond32Bit", joined({kW1, kW2, kF1, with(kS1, "pos=1", "pos=4294967296")}),
         not_integer("4294967296"),
         // plan=1: the slot, holding the cells cut before pos.
         "detail=2 detail2=3 touch1=7 touch2=2 plan=1 series=0 cursors=1",
         [](TForm1& f) {
             const StringTable& plan = f.trace.execplan_grid;
             EXPECT_EQ(plan.Cell(0, plan.RowCount() - 1), "#1:");
             EXPECT_EQ(plan.Cell(1, plan.RowCount() - 1), "14");
         }},
        {"PosNegative", joined({kW1, kW2, kF1, with(kS1, "pos=1", "pos=-5")}), "", full,
         cell_is(&TracePage::execplan_grid, 3, 1, "TABLE ACCESS FULL EMP")},
        // A value is cut 20 characters after its metric.
        {"ThirtyDigits", joined({with(kW1, "100", std::string(30, '9')), kW2, kF1, kS1}), "", full,
         cell_is(&TracePage::trace_detail, 1, 1, std::string(19, '9'))},
    };
    struct Missing {
        const char* marker;
        std::string error;
        std::string shape;
        std::function<void(TForm1&)> check = nullptr;
    };
    const std::vector<Missing> missing = {
        {"WAIT", "", "detail=0 detail2=3 touch1=6 touch2=0 plan=1 series=3 cursors=2"},
        {"FETCH", "", "detail=2 detail2=0 touch1=1 touch2=2 plan=1 series=1 cursors=2"},
        {"STAT", "", "detail=2 detail2=3 touch1=7 touch2=2 plan=0 series=4 cursors=2"},
        // Without "#" the reference runs from the line's start through the
        // character after the first ":", and obj#= is gone too.
        {"#", "", "detail=2 detail2=3 touch1=7 touch2=0 plan=1 series=4 cursors=3",
         [](TForm1& f) {
             EXPECT_EQ(f.trace.touch_grid1.Cell(0, 1), "WAIT 1: db file sequential read");
             EXPECT_EQ(f.trace.execplan_grid.Cell(0, 1), "STAT:");
         }},
        // Without ":" there is no reference, and c= no longer starts a field.
        {":", "", "detail=2 detail2=3 touch1=6 touch2=2 plan=1 series=4 cursors=2",
         cell_is(&TracePage::touch_grid1, 0, 1, "db file sequential read")},
        {"nam=", "", "detail=0 detail2=3 touch1=6 touch2=0 plan=1 series=3 cursors=2"},
        // Without quotes the event runs to the end of the line, so each wait
        // is an event of its own; the operation loses its first letter.
        {"'", "", "detail=2 detail2=3 touch1=8 touch2=2 plan=1 series=5 cursors=2",
         cell_is(&TracePage::execplan_grid, 3, 1, " ABLE ACCESS FULL EMP")},
        {"tim=", not_float(kW1.substr(3, kW1.size() - 3 - 7) + "900"),
         "detail=2 detail2=3 touch1=7 touch2=2 plan=1 series=4 cursors=1"},
        {"ela=", "", "detail=0 detail2=3 touch1=6 touch2=2 plan=1 series=3 cursors=2"},
        {"obj#=", "", "detail=2 detail2=3 touch1=7 touch2=0 plan=1 series=4 cursors=2"},
        // A missing plan marker drops its skip instead and the value is cut
        // from there; only pos must be a number.
        {"cnt=", "", full, cell_is(&TracePage::execplan_grid, 1, 1, "id=1")},
        {"pos=", not_integer("pid=0"),
         "detail=2 detail2=3 touch1=7 touch2=2 plan=1 series=0 cursors=1"},
        {"obj=", "", full, cell_is(&TracePage::execplan_grid, 2, 1, "12")},
        {"op=", "", full, cell_is(&TracePage::execplan_grid, 3, 1, "  'TABLE ACCESS FULL EMP")},
        {"(cr", "", full, cell_is(&TracePage::execplan_grid, 4, 1, "BLE")},
        {"cr=", "", "detail=2 detail2=2 touch1=6 touch2=2 plan=1 series=3 cursors=2"},
        {"pr=", "", full},
        {"pw=", "", full},
        {"time=", "", full, cell_is(&TracePage::execplan_grid, 7, 1, "6")},
        {"cost=", "", full},
        {"size=", "", full},
        {"card=", "", full, cell_is(&TracePage::execplan_grid, 10, 1, "14")},
        {")", "", full, cell_is(&TracePage::execplan_grid, 10, 1, "")},
    };
    for (const Missing& m : missing)
        cases.push_back({"Without_" + marker_name(m.marker), without(joined(base), m.marker),
                         m.error, m.shape, m.check});
    add_common(cases, base, "detail=0 detail2=0 touch1=0 touch2=0 plan=0 series=0 cursors=1");
    return cases;
}

// ------------------------------------------------------------------- ps

// The shipped ps rules cut the owner from columns 1-8, the process ID from
// 10-14 and the CPU from 26-29; the cases widen the CPU to 26-37 so that a
// number of twelve characters fits.
std::string ps_row(const std::string& owner, const std::string& pid, const std::string& cpu) {
    std::string row = owner;
    row.resize(9, ' ');
    row += std::string(5 - pid.size(), ' ') + pid;
    row += "     1  19 ";
    row += std::string(cpu.size() < 12 ? 12 - cpu.size() : 0, ' ') + cpu;
    return row + "  0.0 193892  6824 ep_pol S   Jun 03 00:00:07 ora_pmon_ORCL";
}

const std::string kPsHeader =
    "USER       PID  PPID PRI         %CPU %MEM    VSZ   RSS WCHAN  S  STARTED     TIME COMMAND";

std::vector<std::string> ps_base(const std::string& second_cpu = "30.0",
                                 const std::string& owner = "oracle") {
    return {"zzz ***Mon Jun 6 09:05:01 EST 2016", kPsHeader,
            ps_row("root", "1", "0.0"),           ps_row(owner, "4242", "12.5"),
            "zzz ***Mon Jun 6 09:05:31 EST 2016", kPsHeader,
            ps_row("root", "1", "0.5"),           ps_row(owner, "4242", second_cpu)};
}

std::vector<Case> ps_cases() {
    const std::vector<std::string> base = ps_base();
    // The default threshold of 5 leaves process 4242 alone shown.
    const std::string full = "rows=4 series=2 active=1 gantt=1 bars=2";
    const auto series_values = [](std::vector<double> want) {
        return [want](TForm1& f) {
            const Chart& c = f.ps.osw_process_chart;
            ASSERT_EQ(c.series_count(), 2);
            std::vector<double> got;
            for (int i = 0; i < c.series(1).point_count(); ++i) got.push_back(c.series(1).value(i));
            EXPECT_EQ(got, want);
        };
    };
    std::vector<Case> cases = {
        {"NulBytes", joined(ps_base("30.0", "ora\0cle"s)), "", full,
         [](TForm1& f) { EXPECT_EQ(f.ps.osw_ps_grid.Cell(2, 2), "ora\0cle"s); }},
        {"CrOnly", joined(base, "\r"), "", "rows=0 series=0 active=0 gantt=0 bars=1"},
        {"CrLfMixed", mixed_line_ends(base), "", full},
        {"CtrlZInTheMiddle", joined({base[0], base[1], base[2], base[3]}) + "\x1a" + joined(base),
         "", "rows=2 series=2 active=1 gantt=1 bars=1"},
        {"Beyond32Bit", joined(ps_base("4294967296")), "", full,
         series_values({12.5, 4294967296.0})},
        {"BeyondDouble", joined(ps_base("1e999")), not_float("1e999"),
         "rows=4 series=2 active=2 gantt=0 bars=0"},
        {"Without_zzz", without(joined(base), "zzz"), "",
         "rows=0 series=0 active=0 gantt=0 bars=1"},
        // Both snapshots take the label of the marker's first characters,
        // which the Gantt chart cannot read as a time.
        {"Without_colon", without(joined(base), ":"), not_integer(""),
         "rows=4 series=2 active=1 gantt=0 bars=0"},
        // The heading line, no longer left out, gives a row with an empty
        // CPU, the first the chart converts.
        {"Without_heading", without(joined(base), "%CPU %MEM"), not_float(""),
         "rows=6 series=0 active=0 gantt=0 bars=0"},
    };
    add_common(cases, base, "rows=0 series=0 active=0 gantt=0 bars=1");
    return cases;
}

// --------------------------------------------------------------- mpstat

std::vector<std::string> aix_snapshot(const std::string& time, const std::string& lcpu = "2",
                                      const std::string& user0 = "19") {
    return {"zzz ***Mon Jun 6 " + time + " CDT 2016",
            "System configuration: lcpu=" + lcpu + " ent=0.50 mode=Uncapped",
            "cpu  min  maj  mpc  int   cs  ics   rq  mig lpa sysc us sy wa id   pc  %ec  lcs",
            "  0    0    0    0  164  113   58    1    0 100  182 " + user0 +
                " 28  0 52 0.01 1.4 137",
            "  1    0    0    0   12    0    0    0    0   -    0  0  2  0 98 0.00  0.4   12",
            "  U    -    -    -    -    -    -    -    -   -    -  -  -  0 97 0.48 96.8    -",
            "ALL    0    0    0  176  113   58    1    0 100  182  0  1  0 99 0.01  3.2  149",
            "------------------------------------------------------------------------------"};
}

std::vector<std::string> linux_snapshot(const std::string& cpu1, const std::string& usr1) {
    return {"zzz ***Mon Jun 6 10:00:01 CDT 2016",
            "10:00:01 AM  CPU    %usr   %nice    %sys %iowait    %irq   %soft  %idle",
            "10:00:02 AM  all   26.91    0.25    5.01    1.48    0.00    0.15  66.20",
            "10:00:02 AM    0   26.85    0.00    8.58    1.69    0.00    0.45  62.43",
            "10:00:02 AM " + cpu1 + " " + usr1 + "    0.50    3.41    0.89    0.00    0.04  77.90"};
}

std::vector<std::string> cat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<Case> mpstat_cases() {
    const std::vector<std::string> base = cat(aix_snapshot("10:00:01"), aix_snapshot("10:00:31"));
    const std::string full = "series=2 points=4 entries=2";
    std::vector<Case> cases = {
        {"NulBytes", joined(cat(aix_snapshot("10:0\0:01"s), aix_snapshot("10:00:31"))), "", full,
         [](TForm1& f) { EXPECT_EQ(f.mpstat.cpu_util_chart.series(0).label(0), "10:0\0:01"s); }},
        // One line: the marker, then nothing but the empty slot to read as
        // the first CPU row.
        {"CrOnly", joined(base, "\r"), not_integer(""), "series=0 points=0 entries=0"},
        {"CrLfMixed", mixed_line_ends(base), "", full},
        {"CtrlZInTheMiddle", joined(aix_snapshot("10:00:01")) + "\x1a" + joined(base), "",
         "series=2 points=2 entries=2"},
        {"CountBeyond32Bit", joined(aix_snapshot("10:00:01", "99999999999")),
         not_integer("99999999999"), "series=0 points=0 entries=0"},
        {"UserBeyond32Bit", joined(aix_snapshot("10:00:01", "2", "4294967296")),
         not_integer("4294967296"), "series=2 points=0 entries=2"},
        {"LinuxCpuBeyond32Bit", joined(linux_snapshot("99999999999", "17.26")),
         not_integer("99999999999"), "series=1 points=1 entries=1"},
        {"LinuxUserBeyondDouble", joined(linux_snapshot("   1", "1e999")), not_float("1e999"),
         "series=1 points=1 entries=1"},
        {"Without_zzz", without(joined(base), "zzz"), "", "series=0 points=0 entries=0"},
        {"Without_lcpu", without(joined(base), "lcpu"), "List index out of bounds (0)",
         "series=0 points=0 entries=0"},
        // Without the header no row is read as a CPU row, and the last
        // snapshot's first CPU row is the empty text past the table's end.
        {"Without_cpu_header", without(joined(base), "cpu "), not_integer(""),
         "series=2 points=0 entries=2"},
        // The U row, its marker gone, is read as a CPU row of dashes.
        {"Without_U", without(joined(base), " U "), not_integer("-"),
         "series=2 points=2 entries=2"},
        // The U row ends the block before the ALL row is reached.
        {"Without_ALL", without(joined(base), "ALL "), "", full},
    };
    add_common(cases, base, "series=0 points=0 entries=0");
    return cases;
}

// -------------------------------------------------------------- netstat

std::vector<std::string> net_snapshot(const std::string& time, const std::string& received,
                                      const std::string& openings) {
    return {"zzz ***Mon Jun 6 " + time + " CDT 2016",
            "Ip:",
            "    " + received + " total packets received",
            "    4 with invalid addresses",
            "Tcp:",
            "    " + openings + " active connection openings"};
}

std::vector<Case> netstat_cases() {
    const std::vector<std::string> base =
        cat(net_snapshot("10:00:01", "3281070", "120"), net_snapshot("10:00:31", "3281170", "125"));
    // The first metric (Ip:total packets received) is viewed: two records,
    // Deltas 0 and 100.
    const std::string full = "raw=4 metrics=2 anal=2 series=1 bars=2";
    const auto anal = [](int row, std::string time, std::string metric, std::string delta) {
        return [=](TForm1& f) {
            const StringTable& t = f.netstat.nets_anal;
            EXPECT_EQ(std::string(t.Cell(0, row)), time);
            EXPECT_EQ(std::string(t.Cell(1, row)), metric);
            EXPECT_EQ(std::string(t.Cell(3, row)), delta);
        };
    };
    std::vector<Case> cases = {
        {"NulBytes",
         joined(cat(net_snapshot("10:00:01", "3281070", "120"),
                    net_snapshot("10:00:31", "3281"s + '\0' + "170", "125"))),
         // The NUL would end the message's C text: it shows as "?".
         "'3281?170' is not a valid floating point value",
         "raw=4 metrics=2 anal=2 series=0 bars=0"},
        // One line, holding the marker: no counter row.
        {"CrOnly", joined(base, "\r"), "", "raw=0 metrics=1 anal=0 series=0 bars=0"},
        {"CrLfMixed", mixed_line_ends(base), "", full,
         anal(2, "***Mon Jun 6 10:00:31", "Ip:total packets received", "100")},
        {"CtrlZInTheMiddle",
         joined(net_snapshot("10:00:01", "3281070", "120")) + "\x1a" + joined(base), "",
         "raw=2 metrics=2 anal=1 series=1 bars=1"},
        {"Beyond32Bit",
         joined(cat(net_snapshot("10:00:01", "4294967296", "120"),
                    net_snapshot("10:00:31", "4294967396", "125"))),
         "", full, anal(2, "***Mon Jun 6 10:00:31", "Ip:total packets received", "100")},
        {"BeyondDouble",
         joined(cat(net_snapshot("10:00:01", "3281070", "120"),
                    net_snapshot("10:00:31", "1e999", "125"))),
         not_float("1e999"), "raw=4 metrics=2 anal=2 series=0 bars=0"},
        {"Without_zzz", without(joined(base), "zzz"), "", full,
         anal(1, "--", "Ip:total packets received", "0")},
        // The Tcp: header of the first snapshot stays in force into the
        // second one's Ip rows.
        {"Without_Ip", without(joined(base), "Ip:"), "", "raw=4 metrics=3 anal=1 series=1 bars=1",
         anal(1, "***Mon Jun 6 10:00:01", "total packets received", "0")},
        {"Without_metric", without(joined(base), "total packets received"), "",
         "raw=2 metrics=1 anal=2 series=1 bars=2"},
        // Without its number the row's first word is taken for it, and the
        // rest still begins with a rule ("packets received").
        {"Without_number", without(without(joined(base), "3281070 "), "3281170 "),
         not_float("total"), "raw=4 metrics=2 anal=2 series=0 bars=0"},
    };
    add_common(cases, base, "raw=0 metrics=1 anal=0 series=0 bars=0");
    return cases;
}

// ----------------------------------------------------------------- run

class Analysis : public ::testing::TestWithParam<std::tuple<Page, Case>> {};

// The ps cases read a CPU field of twelve characters.
void set_ps_cpu_count(TForm1& f, const char* count) {
    f.rules.pscpu_pose.text = count;
}

TEST_P(Analysis, EndsWithItsDocumentedOutcomeAndKeepsTheRest) {
    const auto& [page, c] = GetParam();
    Window w;
    if (page == Page::Ps) set_ps_cpu_count(w.form, "12");
    const Digest before = digest(w.form);

    ASSERT_TRUE(w.load_text(page, c.content)) << w.last_message();
    const std::size_t shown = w.messages.shown.size();
    const bool ok = w.analyse(page);
    EXPECT_EQ(ok, c.error.empty());
    EXPECT_EQ(ok ? "" : w.last_message(), c.error);
    EXPECT_EQ(w.messages.shown.size(), shown + (ok ? 0 : 1));
    EXPECT_EQ(shape(page, w.form), c.shape);
    if (c.check) c.check(w.form);

    // The actions that follow an analysis on each page run on whatever it
    // left: the ps sorts and filter, the netstat metric view.
    if (page == Page::Ps) {
        StringTable& t = w.form.ps.osw_ps_grid;
        std::vector<std::vector<std::string>> rows_before, rows_after;
        for (int r = 1; r < t.RowCount(); ++r) rows_before.push_back(t.RowSnapshot(r));
        for (const char* sort : {"RadioButton2", "RadioButton3", "RadioButton4", "RadioButton1"})
            EXPECT_TRUE(w.form.user_click(sort)) << sort << ": " << w.last_message();
        for (int r = 1; r < t.RowCount(); ++r) rows_after.push_back(t.RowSnapshot(r));
        std::sort(rows_before.begin(), rows_before.end());
        std::sort(rows_after.begin(), rows_after.end());
        EXPECT_EQ(rows_after, rows_before) << "a sort lost or changed a row";
        // The filter on what a failed analysis drew meets the same fault or
        // none.
        if (!w.form.user_click("cpu_filter")) {
            EXPECT_EQ(w.last_message(), c.error);
        }
    }
    if (page == Page::Netstat) {
        const Selector& combo = w.form.netstat.net_combo;
        for (int i = 0; i < combo.count(); ++i) {
            if (!w.form.user_pick("net_combo", i)) {
                EXPECT_EQ(w.last_message(), c.error) << "viewing entry " << i;
            }
        }
    }
    w.expect_others_unchanged(before, page);
    if (page == Page::Ps) set_ps_cpu_count(w.form, "4");
    w.expect_page_works(page);
}

std::vector<std::tuple<Page, Case>> all_cases() {
    std::vector<std::tuple<Page, Case>> out;
    for (const Case& c : trace_cases()) out.emplace_back(Page::Trace, c);
    for (const Case& c : ps_cases()) out.emplace_back(Page::Ps, c);
    for (const Case& c : mpstat_cases()) out.emplace_back(Page::Mpstat, c);
    for (const Case& c : netstat_cases()) out.emplace_back(Page::Netstat, c);
    return out;
}

std::string case_name(const ::testing::TestParamInfo<Analysis::ParamType>& info) {
    std::string name = std::string(page_info(std::get<0>(info.param)).name) + "_";
    for (char ch : std::get<1>(info.param).name)
        name.push_back(std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Robustness, Analysis, ::testing::ValuesIn(all_cases()), case_name);

} // namespace
} // namespace kavro::testing
