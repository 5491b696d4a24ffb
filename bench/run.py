#!/usr/bin/env python3
"""Runs every speed and memory figure of Kavro against its target.

Builds nothing: give it a build folder (default: build) in which kavro-cli,
the generators, bench/floor and (for the window's figures) bench_gui are
built. The files it needs are generated into a data folder (default
/tmp/kavro-bench) and reused when they are there already.

Every file figure is a ratio to bench/floor on the same file in the same
run (the gzip row: to gzip -dc of the same file to /dev/null): floor and
the measured command run back to back, FILE in the page
cache, RUNS times (default 5), and the table shows the medians. The wall
clock is what the targets are about; the CPU time (user + system, from the
child's rusage) is shown beside it because a shared machine moves it far
less.

    python3 bench/run.py [--build DIR] [--data DIR] [--runs N]
                         [--only trace,profile,ps,gzip,mpstat,netstat,gui,road]
                         [--road-sizes 10M,50M,300M,1G]
                         [--trace-size 1G] [--dense-trace-size 300M]
                         [--ps-size 500M] [--mpstat-size 500M]
                         [--netstat-size 500M] [--markdown FILE]
                         [--cursor-bench PROGRAM]

"road" (not run unless named) is bench/road.py: the window driven through
every page beside kavro-cli, step by step, on files of --road-sizes and the
real traces; its own table follows the others.

The trace rows run the 1 GB trace with the sample rules and a 300 MB trace
with bench/dense-rules, whose rules give result rows for nearly every line.
The cursor_comboChange rows run BUILD/bench/bench_trace FILE RULES --cursor,
which analyses the trace and prints "cursor_comboChange: N ms";
--cursor-bench names another program that takes the trace file and prints
the same line.
"""

import argparse
import os
import platform
import re
import resource
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SAMPLES = os.path.join(ROOT, "samples")
# The rules of the dense trace rows: nearly every line gives result rows.
DENSE_RULES = os.path.join(HERE, "dense-rules")


def parse_size(text):
    m = re.fullmatch(r"(\d+(?:\.\d+)?)([KMG]?)", text.strip(), re.I)
    if not m:
        raise argparse.ArgumentTypeError("not a size: " + text)
    scale = {"": 1, "K": 1 << 10, "M": 1 << 20, "G": 1 << 30}[m.group(2).upper()]
    return int(float(m.group(1)) * scale)


def human(n):
    for unit, scale in (("GB", 1 << 30), ("MB", 1 << 20), ("KB", 1 << 10)):
        if n >= scale:
            return "%.1f %s" % (n / scale, unit)
    return "%d B" % n


class Bench:
    def __init__(self, args):
        self.args = args
        self.build = os.path.abspath(args.build)
        self.data = os.path.abspath(args.data)
        self.rows = []  # (work, figure, floor, ratio, target, verdict)

    def tool(self, *parts):
        path = os.path.join(self.build, *parts)
        if not os.access(path, os.X_OK):
            sys.exit("run.py: %s is not built (build folder %s)" % (path, self.build))
        return path

    # --- files -----------------------------------------------------------
    def generated(self, generator, size, name, extra=()):
        """The data file `name`, generated once with `generator SIZE FILE`."""
        os.makedirs(self.data, exist_ok=True)
        path = os.path.join(self.data, name)
        if os.path.exists(path) and os.path.getsize(path) > 0:
            return path
        print("generating %s (%s) ..." % (path, human(size)), flush=True)
        subprocess.run([self.tool("bench", generator), str(size), path + ".part", *extra],
                       check=True, stdout=subprocess.DEVNULL)
        os.replace(path + ".part", path)
        return path

    # --- measuring -------------------------------------------------------
    def run_pair(self, path, cmd, partner=None):
        """floor FILE (or the partner command) then cmd, RUNS times; medians
        and the median ratio."""
        floor = self.tool("bench", "floor")
        subprocess.run([floor, path], check=True, stdout=subprocess.DEVNULL)  # page cache
        partner = partner or [floor, path]
        walls, cpus, fwalls, fcpus, ratios, cratios = [], [], [], [], [], []
        for _ in range(self.args.runs):
            f = self.child_run(partner)
            m = self.child_run(cmd, cwd=SAMPLES)
            fwalls.append(f[0]); fcpus.append(f[1]); walls.append(m[0]); cpus.append(m[1])
            ratios.append(m[0] / f[0]); cratios.append(m[1] / max(f[1], 1e-9))
        med = statistics.median
        return {"wall": med(walls), "cpu": med(cpus), "floor": med(fwalls),
                "floor_cpu": med(fcpus), "ratio": med(ratios), "cpu_ratio": med(cratios)}

    @staticmethod
    def child_run(cmd, cwd=None):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        done = subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        if done.returncode != 0:
            sys.exit("run.py: %s failed (%d): %s" % (" ".join(cmd), done.returncode,
                                                      done.stderr.decode(errors="replace")[-500:]))
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        return wall, cpu

    def peak_kb(self, cmd):
        if os.access("/usr/bin/time", os.X_OK):
            done = subprocess.run(["/usr/bin/time", "-f", "%M", *cmd], cwd=SAMPLES,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=True)
            return int(done.stderr.decode().strip().splitlines()[-1])
        # Without GNU time: the child's own peak from rusage (KB on Linux).
        before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
        subprocess.run(cmd, cwd=SAMPLES, stdout=subprocess.DEVNULL, check=True)
        return max(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss, before)

    # --- rows ------------------------------------------------------------
    def file_row(self, work, path, cmd, target, partner=None):
        print("measuring: %s ..." % work, flush=True)
        r = self.run_pair(path, cmd, partner)
        verdict = "met" if r["ratio"] <= target else "missed"
        self.rows.append((work,
                          "%.2f s (cpu %.2f s)" % (r["wall"], r["cpu"]),
                          "%.2f s (cpu %.2f s)" % (r["floor"], r["floor_cpu"]),
                          "%.2f x (cpu %.2f x)" % (r["ratio"], r["cpu_ratio"]),
                          "<= %.1f x" % target, verdict))

    def trace_rows(self):
        path = self.generated("gen_trace", self.args.trace_size,
                              "trace-%s.trc" % self.size_name(self.args.trace_size))
        cli = self.tool("cli", "kavro-cli")
        label = human(os.path.getsize(path))
        self.file_row("load a %s trace (Button102)" % label, path,
                      [cli, "-C", SAMPLES, "--set", "SQLIdList=" + path, "--click", "Button102",
                       "--export", "none"], 1.3)
        self.analysis_rows(path, SAMPLES, "")
        if self.args.dense_trace_size > 0:
            dense = self.generated("gen_trace", self.args.dense_trace_size,
                                   "trace-%s.trc" % self.size_name(self.args.dense_trace_size))
            self.analysis_rows(dense, DENSE_RULES, ", dense rules")

    def analysis_rows(self, path, rules, what):
        """Load and analysis against the floor, its peak memory, and the
        cursor pick after it, with the rules file of the folder `rules`."""
        cli = self.tool("cli", "kavro-cli")
        size = os.path.getsize(path)
        label = human(size)
        analyse = [cli, "-C", rules, "trace", path, "--export", "none"]
        self.file_row("load and analyse a %s trace%s" % (label, what), path, analyse, 3.0)
        print("measuring: peak memory of the trace analysis ...", flush=True)
        peaks = [self.peak_kb(analyse) * 1024 for _ in range(self.args.runs)]
        peak = statistics.median(peaks)
        ratio = peak / size
        self.rows.append(("peak memory, load and analysis of a %s trace%s" % (label, what),
                          human(peak), "file %s" % label, "%.2f x file" % ratio, "<= 2.0 x file",
                          "met" if ratio <= 2.0 else "missed"))
        self.cursor_row(path, rules, what)

    # The sum of ela per event name, the least a response-time profile does.
    AWK_PROFILE = ("/^WAIT #/ { split($3, a, \" \"); s[$2] += a[2] } "
                   "END { for (e in s) print s[e], e }")

    def profile_rows(self):
        path = self.generated("gen_trace", self.args.trace_size,
                              "trace-%s.trc" % self.size_name(self.args.trace_size))
        cli = self.tool("cli", "kavro-cli")
        label = human(os.path.getsize(path))
        work = "kavro-cli profile of a %s trace, beside awk summing ela per event" % label
        print("measuring: %s ..." % work, flush=True)
        awk = ["awk", "-F", "'", self.AWK_PROFILE, path]
        r = self.run_pair(path, [cli, "profile", path, "--json", "/dev/null"], partner=awk)
        self.rows.append((work, "%.2f s (cpu %.2f s)" % (r["wall"], r["cpu"]),
                          "awk %.2f s (cpu %.2f s)" % (r["floor"], r["floor_cpu"]),
                          "%.2f x (cpu %.2f x)" % (r["ratio"], r["cpu_ratio"]), "<= 1.0 x",
                          "met" if r["ratio"] <= 1.0 else "missed"))
        print("measuring: peak memory of kavro-cli profile ...", flush=True)
        peak = statistics.median(self.peak_kb([cli, "profile", path, "--json", "/dev/null"]) * 1024
                                 for _ in range(self.args.runs))
        self.rows.append(("peak memory, kavro-cli profile of a %s trace" % label, human(peak),
                          "", "", "< 100 MB", "met" if peak < 100 * (1 << 20) else "missed"))

    def cursor_row(self, path, rules, what):
        if self.args.cursor_bench:
            cmd = [self.args.cursor_bench, path]
        else:
            cmd = [self.tool("bench", "bench_trace"), path, rules, "--cursor"]
        work = "cursor_comboChange after the trace analysis%s" % what
        print("measuring: %s ..." % work, flush=True)
        figures = []
        for _ in range(self.args.runs):
            done = subprocess.run(cmd, cwd=SAMPLES, stdout=subprocess.PIPE, check=True)
            m = re.search(r"cursor_comboChange\D*?([\d.]+)\s*ms", done.stdout.decode())
            if not m:
                sys.exit("run.py: %s printed no cursor_comboChange figure" % cmd[0])
            figures.append(float(m.group(1)))
        ms = statistics.median(figures)
        self.rows.append((work, "%.1f ms" % ms, "", "", "< 200 ms",
                          "met" if ms < 200 else "missed"))

    def osw_row(self, kind, generator, size, target):
        path = self.generated(generator, size, "%s-%s.dat" % (kind, self.size_name(size)))
        cli = self.tool("cli", "kavro-cli")
        work = {"ps": "load, analyse and filter a %s ps archive",
                "mpstat": "load and analyse a %s mpstat archive",
                "netstat": "load and analyse a %s netstat archive"}[kind]
        self.file_row(work % human(os.path.getsize(path)), path,
                      [cli, "-C", SAMPLES, kind, path, "--export", "none"], target)

    def gzip_row(self):
        """The ps load of a gzip-compressed archive beside gzip -dc of the
        same file to /dev/null: the decompression alone is the yardstick."""
        plain = self.generated("gen_ps", self.args.ps_size,
                               "ps-%s.dat" % self.size_name(self.args.ps_size))
        path = plain + ".gz"
        if not (os.path.exists(path) and os.path.getsize(path) > 0):
            print("compressing %s ..." % plain, flush=True)
            with open(path + ".part", "wb") as out:
                subprocess.run(["gzip", "-6", "-c", plain], stdout=out, check=True)
            os.replace(path + ".part", path)
        cli = self.tool("cli", "kavro-cli")
        work = "load a gzip-compressed %s ps archive (%s packed; Button85)" % (
            human(os.path.getsize(plain)), human(os.path.getsize(path)))
        self.file_row(work, path,
                      [cli, "-C", SAMPLES, "--set", "osw_filename=" + path, "--click", "Button85",
                       "--export", "none"], 1.5,
                      partner=["sh", "-c", 'exec gzip -dc "$1" > /dev/null', "sh", path])

    GUI_ROWS = [
        (r"start-up to first painted window", "start-up to the first painted window", 500),
        (r"first paint of a grid", "first paint of a grid of 10 million rows", 50),
        (r"jump to its last row", "jump to the grid's last row", 50),
        (r"timeline redraw after new data", "timeline of 2 M points: redraw after new data", 300),
        (r"timeline redraw after hiding half", "timeline of 2 M points: redraw after hiding half",
         300),
        (r"process chart redraw after a new analysis",
         "ps process chart of 2,000 series: redraw after a new analysis", 300),
        (r"process chart redraw after a filter",
         "ps process chart of 2,000 series: redraw after a filter", 300),
    ]

    def gui_rows(self):
        prog = self.tool("bench", "bench_gui")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        print("measuring: the window (bench_gui, %d runs) ..." % self.args.runs, flush=True)
        walls = {k: [] for k, _, _ in self.GUI_ROWS}
        cpus = {k: [] for k, _, _ in self.GUI_ROWS}
        for _ in range(self.args.runs):
            done = subprocess.run([prog], cwd=SAMPLES, env=env, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, check=True)
            for line in done.stdout.decode().splitlines():
                for key, _, _ in self.GUI_ROWS:
                    m = re.search(key + r".*?: ([\d.]+) ms \(cpu ([\d.]+) ms\)", line)
                    if m:
                        walls[key].append(float(m.group(1)))
                        cpus[key].append(float(m.group(2)))
        for key, work, target in self.GUI_ROWS:
            if not walls[key]:
                self.rows.append((work, "not printed", "", "", "< %d ms" % target, "?"))
                continue
            wall = statistics.median(walls[key])
            cpu = statistics.median(cpus[key])
            self.rows.append((work, "%.0f ms (cpu %.0f ms)" % (wall, cpu), "", "",
                              "< %d ms" % target, "met" if wall < target else "missed"))

    @staticmethod
    def size_name(n):
        for unit, scale in (("G", 1 << 30), ("M", 1 << 20), ("K", 1 << 10)):
            if n % scale == 0:
                return "%d%s" % (n // scale, unit)
        return str(n)

    # --- output ----------------------------------------------------------
    HEAD = ("work", "figure (median)", "floor (median)", "ratio (median)", "target", "")

    def machine(self):
        lines = ["nproc: %s" % os.cpu_count()]
        if shutil.which("lscpu"):
            out = subprocess.run(["lscpu"], stdout=subprocess.PIPE).stdout.decode()
            lines += out.splitlines()[:10]
        try:
            with open("/proc/meminfo") as f:
                lines.append(f.readline().strip())
        except OSError:
            pass
        lines.append("load average: %.2f %.2f %.2f" % os.getloadavg())
        lines.append("kernel: %s" % platform.release())
        return lines

    def print_table(self):
        widths = [max(len(str(r[i])) for r in self.rows + [self.HEAD]) for i in range(6)]
        for r in [self.HEAD] + self.rows:
            print("  ".join(str(c).ljust(w) for c, w in zip(r, widths)))

    def markdown(self):
        out = ["| " + " | ".join(self.HEAD) + " |", "|" + "---|" * len(self.HEAD)]
        for r in self.rows:
            out.append("| " + " | ".join(str(c) for c in r) + " |")
        out.append("")
        out.append("Medians of %d runs, %s." % (self.args.runs, time.strftime("%Y-%m-%d")))
        out.append("")
        out.append("```text")
        out += self.machine()
        out.append("```")
        return "\n".join(out) + "\n"


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--build", default="build")
    p.add_argument("--data", default="/tmp/kavro-bench")
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--only", default="trace,profile,ps,gzip,mpstat,netstat,gui")
    p.add_argument("--trace-size", type=parse_size, default=parse_size("1G"))
    p.add_argument("--dense-trace-size", type=parse_size, default=parse_size("300M"),
                   help="the trace analysed with bench/dense-rules (0: none)")
    p.add_argument("--ps-size", type=parse_size, default=parse_size("500M"))
    p.add_argument("--mpstat-size", type=parse_size, default=parse_size("500M"))
    p.add_argument("--netstat-size", type=parse_size, default=parse_size("500M"))
    p.add_argument("--markdown", help="also write the table as Markdown to this file")
    p.add_argument("--cursor-bench", help="program timing cursor_comboChange on the trace")
    p.add_argument("--road-sizes", default="10M,50M,300M,1G",
                   help="file sizes of the road in the window (--only road)")
    args = p.parse_args()

    b = Bench(args)
    only = set(args.only.split(","))
    if "trace" in only:
        b.trace_rows()
    if "profile" in only:
        b.profile_rows()
    if "ps" in only:
        b.osw_row("ps", "gen_ps", args.ps_size, 3.0)
    if "gzip" in only:
        b.gzip_row()
    if "mpstat" in only:
        b.osw_row("mpstat", "gen_mpstat", args.mpstat_size, 2.0)
    if "netstat" in only:
        b.osw_row("netstat", "gen_netstat", args.netstat_size, 2.0)
    if "gui" in only:
        b.gui_rows()
    road = None
    if "road" in only:
        import road as roadpy
        road = roadpy.Road(argparse.Namespace(build=args.build, data=args.data,
                                              runs=args.runs))
        for page in roadpy.PAGES:
            for size in args.road_sizes.split(","):
                road.generated_road(page, parse_size(size))
        if os.path.isdir(roadpy.REAL):
            road.real_roads(roadpy.REAL)
    print()
    if b.rows:
        b.print_table()
        print()
    if road:
        road.print_table()
        print()
    print("\n".join(b.machine()))
    if args.markdown:
        with open(args.markdown, "w") as f:
            if b.rows:
                f.write(b.markdown())
            if road:
                f.write("\n" + road.markdown())
        print("\nwrote " + args.markdown)


if __name__ == "__main__":
    main()
