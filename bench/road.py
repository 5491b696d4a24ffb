#!/usr/bin/env python3
"""The whole road in the window, step by step, beside kavro-cli.

Drives the real window offscreen (QT_QPA_PLATFORM=offscreen) through each
page as a user does and kavro-cli through the same steps, both with
--timings, which writes every step's wall-clock and CPU milliseconds (the
window's up to the painted result, with the longest time the window took no
events while no progress dialog was on screen):

  trace    load, analyse, the Touch Count, Execution Plan and Timeline views,
           a cursor pick (the timeline in front), back to All
  ps       load, analyse, a filter (owner "ora"), the Raw Data tab, the sort
           by CPU utilisation
  mpstat   load, analyse, a CPU pick
  netstat  load, analyse, a metric pick

on generated files of each size (made once into the data folder, as run.py
does) and on every real trace of --real. The target of each step: the
window takes at most 1.5 times kavro-cli's time plus 300 ms, and leaves the
window without a progress dialog for at most half a second. "frozen" is the
longest time the window took no events at all, a progress dialog on screen
or not (the dialog takes events each time the work reports).

    python3 bench/road.py [--build DIR] [--data DIR] [--sizes 10M,50M,300M,1G]
                          [--pages trace,ps,mpstat,netstat] [--real DIR | --no-real]
                          [--runs N] [--markdown FILE]

The medians of --runs runs (default 3; files of 1 GB and more are run once,
since each run takes minutes) are shown. On a busy machine the wall clock
of both sides swells by the same load; the CPU times beside it move far
less, and the table says where a step meets the target on CPU time only.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import run as runpy  # noqa: E402  (the driver's file helpers)

ROOT = os.path.dirname(HERE)
SAMPLES = os.path.join(ROOT, "samples")
REAL = os.path.join(os.path.dirname(ROOT), "shared", "real-data", "trace")
WINDOW_SIZE = "1406x863"  # the window's size at start
FACTOR, SLACK_MS, FROZEN_MS = 1.5, 300.0, 500.0


def trace_steps(path, cursor=True):
    steps = ["--click", "hISTORY1", "--set", "SQLIdList=" + path,
             "--click", "Button102", "--click", "Button2", "--click", "rb_viewtc",
             "--click", "rb_view_stat", "--click", "rb_viewtl"]
    if cursor:
        steps += ["--pick", "cursor_combo=1", "--pick", "cursor_combo=0"]
    return steps


def ps_steps(path):
    return ["--click", "OSWps1", "--set", "osw_filename=" + path, "--click", "Button85",
            "--click", "Button4", "--set", "owner_filter=ora", "--click", "cpu_filter",
            "--tab", "OSWPage=2", "--click", "RadioButton4"]


def mpstat_steps(path):
    return ["--click", "OSWmpstat1", "--set", "mpstat_filename=" + path, "--click", "Button8",
            "--click", "Button9", "--pick", "cpu_num=1"]


def netstat_steps(path):
    return ["--click", "OSWnetstat1", "--set", "netstat_filename=" + path, "--click",
            "Button12", "--click", "Button13", "--pick", "net_combo=1"]


PAGES = {
    "trace": ("gen_trace", "trc", trace_steps),
    "ps": ("gen_ps", "dat", ps_steps),
    "mpstat": ("gen_mpstat", "dat", mpstat_steps),
    "netstat": ("gen_netstat", "dat", netstat_steps),
}

# What a step does, for the table.
STEP_NAMES = {
    "--click Button102": "load", "--click Button85": "load", "--click Button8": "load",
    "--click Button12": "load", "--click Button2": "analyse", "--click Button4": "analyse",
    "--click Button9": "analyse", "--click Button13": "analyse",
    "--click rb_viewtc": "Touch Count view", "--click rb_view_stat": "Execution Plan view",
    "--click rb_viewtl": "Timeline view", "--pick cursor_combo=1": "cursor pick",
    "--pick cursor_combo=0": "back to All", "--click cpu_filter": "filter",
    "--tab OSWPage=2": "Raw Data tab", "--click RadioButton4": "sort by CPU",
    "--pick cpu_num=1": "CPU pick", "--pick net_combo=1": "metric pick",
}


def read_timings(path):
    rows = []
    with open(path) as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            without_dialog = float(parts[3]) if len(parts) > 3 else None
            frozen = float(parts[4]) if len(parts) > 4 else None
            rows.append((parts[0], float(parts[1]), float(parts[2]), without_dialog, frozen))
    return rows


class Road:
    def __init__(self, args):
        self.args = args
        self.build = os.path.abspath(args.build)
        self.bench = runpy.Bench(argparse.Namespace(build=args.build, data=args.data, runs=1))
        self.results = []  # (page, file label, step, cli, window)

    def run_once(self, program, steps, window):
        with tempfile.NamedTemporaryFile(suffix=".tsv", delete=False) as t:
            timings = t.name
        cmd = [program] + steps + ["--timings", timings]
        env = dict(os.environ)
        if window:
            cmd += ["--size", WINDOW_SIZE]
            env["QT_QPA_PLATFORM"] = "offscreen"
        else:
            cmd += ["--export", "none"]
        done = subprocess.run(cmd, cwd=SAMPLES, env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE)
        rows = read_timings(timings)
        os.unlink(timings)
        if done.returncode != 0 or len(rows) != len(self.step_texts(steps)):
            sys.exit("road.py: %s failed (%d): %s" % (" ".join(cmd), done.returncode,
                                                     done.stderr.decode(errors="replace")[-500:]))
        return rows

    @staticmethod
    def step_texts(steps):
        return [steps[i] + " " + steps[i + 1] for i in range(0, len(steps), 2)]

    def measure(self, page, label, steps, runs):
        cli = self.bench.tool("cli", "kavro-cli")
        window = self.bench.tool("app", "ui", "kavro")
        print("road: %s %s (%d run%s) ..." % (page, label, runs, "s" if runs > 1 else ""),
              flush=True)
        cli_runs, win_runs = [], []
        for _ in range(runs):
            cli_runs.append(self.run_once(cli, steps, False))
            win_runs.append(self.run_once(window, steps, True))
        med = statistics.median
        for k, text in enumerate(self.step_texts(steps)):
            if text.startswith("--set ") or text.startswith("--click OSW") or \
                    text == "--click hISTORY1":
                continue  # typing a name, the menu: nothing to wait for
            c = (med(r[k][1] for r in cli_runs), med(r[k][2] for r in cli_runs))
            w = (med(r[k][1] for r in win_runs), med(r[k][2] for r in win_runs),
                 med(r[k][3] for r in win_runs), med(r[k][4] for r in win_runs))
            self.results.append((page, label, STEP_NAMES.get(text, text), c, w))

    def has_cursor(self, path):
        """True when the trace gives a cursor to pick (besides "All")."""
        out = tempfile.mkdtemp()
        subprocess.run([self.bench.tool("cli", "kavro-cli"), "trace", path, "--export", "form",
                        "--out", out], cwd=SAMPLES, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        try:
            with open(os.path.join(out, "form.json")) as f:
                items = json.load(f)["selectors"]["cursor_combo"]["items"]
        except (OSError, ValueError, KeyError):
            items = []
        subprocess.run(["rm", "-rf", out])
        return len(items) > 1

    def generated_road(self, page, size):
        generator, ext, steps = PAGES[page]
        name = "%s-%s.%s" % (page, runpy.Bench.size_name(size), ext)
        path = self.bench.generated(generator, size, name)
        runs = 1 if size >= (1 << 30) else self.args.runs
        self.measure(page, runpy.human(os.path.getsize(path)), steps(path), runs)

    def real_roads(self, folder):
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            if not os.path.isfile(path):
                continue
            self.measure("trace", "real " + name, trace_steps(path, self.has_cursor(path)),
                         self.args.runs)

    # --- the table -------------------------------------------------------
    @staticmethod
    def verdict(c, w):
        limit = FACTOR * c[0] + SLACK_MS
        if w[0] <= limit and w[2] <= FROZEN_MS:
            return "met"
        if w[1] <= FACTOR * c[1] + SLACK_MS and w[2] <= FROZEN_MS:
            return "met on CPU"
        return "missed"

    HEAD = ("page", "file", "step", "kavro-cli ms (cpu)", "window ms (cpu)", "limit ms",
            "frozen without dialog ms", "frozen ms", "")

    def rows(self):
        for page, label, step, c, w in self.results:
            yield (page, label, step, "%.0f (%.0f)" % c, "%.0f (%.0f)" % (w[0], w[1]),
                   "%.0f" % (FACTOR * c[0] + SLACK_MS), "%.0f" % w[2], "%.0f" % w[3],
                   self.verdict(c, w))

    def print_table(self):
        rows = list(self.rows())
        widths = [max(len(str(r[i])) for r in rows + [self.HEAD]) for i in range(len(self.HEAD))]
        for r in [self.HEAD] + rows:
            print("  ".join(str(x).ljust(n) for x, n in zip(r, widths)))

    def markdown(self):
        out = ["| " + " | ".join(self.HEAD) + " |", "|" + "---|" * len(self.HEAD)]
        out += ["| " + " | ".join(r) + " |" for r in self.rows()]
        out += ["", "%s; load average at the end %.2f %.2f %.2f." % (
            time.strftime("%Y-%m-%d"), *os.getloadavg())]
        return "\n".join(out) + "\n"


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--build", default="build")
    p.add_argument("--data", default="/tmp/kavro-bench")
    p.add_argument("--sizes", default="10M,50M,300M,1G")
    p.add_argument("--pages", default="trace,ps,mpstat,netstat")
    p.add_argument("--real", default=REAL)
    p.add_argument("--no-real", action="store_true")
    p.add_argument("--runs", type=int, default=3)
    p.add_argument("--markdown", help="also write the table as Markdown to this file")
    args = p.parse_args()

    road = Road(args)
    sizes = [runpy.parse_size(s) for s in args.sizes.split(",") if s]
    for page in args.pages.split(","):
        if page not in PAGES:
            sys.exit("road.py: no page " + page)
        for size in sizes:
            road.generated_road(page, size)
    if not args.no_real and "trace" in args.pages.split(","):
        if os.path.isdir(args.real):
            road.real_roads(args.real)
        else:
            print("road: no real traces in %s, skipped" % args.real)
    print()
    road.print_table()
    if args.markdown:
        with open(args.markdown, "w") as f:
            f.write(road.markdown())
        print("\nwrote " + args.markdown)


if __name__ == "__main__":
    main()
