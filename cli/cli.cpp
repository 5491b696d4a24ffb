#include "cli/cli.h"

#include "cli/step_timings.h"

#include "app/export.h"
#include "app/form.h"
#include "cli/osw.h"
#include "cli/profile.h"
#include "cli/summary.h"
#include "core/convert.h"
#include "core/error.h"

#include <filesystem>
#include <optional>

namespace kavro {

namespace {

const char* kUsage =
    "usage: kavro-cli [-C DIR] [SHORTHAND FILE] STEP... [--export NAMES] [--out DIR]\n"
    "\n"
    "Drives Kavro's window without a display. Start-up runs as in the window\n"
    "(db.ini and tracerules.ini are read from the current directory), then\n"
    "each step runs in order as the user's own action:\n"
    "  --set NAME=TEXT     type TEXT into an edit field or editable selector\n"
    "  --pick NAME=INDEX   pick entry INDEX of a selector\n"
    "  --click NAME        click a button or menu entry, toggle a check box,\n"
    "                      select a radio button\n"
    "  --track NAME=POS    move a track bar\n"
    "  --tab PAGE=INDEX    show tab INDEX of a page control\n"
    "Then --export NAMES (all, none, or table names and form, comma-separated)\n"
    "writes NAME.csv per table and form.json into --out DIR (default .).\n"
    "-C DIR changes the current directory first; --timings FILE writes each\n"
    "step's milliseconds into FILE, a line a step.\n"
    "\n"
    "Shorthands (each followed by --export all unless --export is given):\n"
    "  trace FILE     --set SQLIdList=FILE --click Button102 --click Button2\n"
    "  ps FILE        --set osw_filename=FILE --click Button85 --click Button4\n"
    "  mpstat FILE    --set mpstat_filename=FILE --click Button8 --click Button9\n"
    "  netstat FILE   --set netstat_filename=FILE --click Button12 --click Button13\n"
    "  osw ARCHIVE    \"Open OSWatcher Archive...\" of a folder or a tar or zip file:\n"
    "                 its ps, mpstat and netstat files onto their pages, the summary\n"
    "                 printed, then the analyse button of each page that got files\n"
    "\n"
    "Commands of their own:\n"
    "  summary KIND FILE...   a short text summary of trace, ps, mpstat or netstat files\n"
    "  profile FILE [--json OUT] [--top N] [--from T] [--to T]\n"
    "                         the response-time profile of a trace (profile --help)\n";

class StreamMessageBox : public MessageBox {
public:
    explicit StreamMessageBox(std::ostream& err) : err_(err) {}
    void show(const std::string& text) override { err_ << text << '\n'; }

private:
    std::ostream& err_;
};

// The file dialog of a run without a window: nothing is ever chosen.
class NoFileDialog : public FileDialog {
public:
    std::optional<std::string> open(const std::string&) override { return std::nullopt; }
};

class NoShell : public ShellOpen {
public:
    void open(const std::string&) override {}
};

bool split_assignment(const std::string& arg, std::string& name, std::string& value) {
    const auto eq = arg.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    name = arg.substr(0, eq);
    value = arg.substr(eq + 1);
    return true;
}

struct Shorthand {
    const char* name;
    const char* field;
    const char* load;
    const char* analyse;
};

constexpr Shorthand kShorthands[] = {
    {"trace", "SQLIdList", "Button102", "Button2"},
    {"ps", "osw_filename", "Button85", "Button4"},
    {"mpstat", "mpstat_filename", "Button8", "Button9"},
    {"netstat", "netstat_filename", "Button12", "Button13"},
};

} // namespace

int parse_cli(const std::vector<std::string>& args, CliOptions& o, std::ostream& out,
              std::ostream& err, bool window) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        if (a == "-h" || a == "--help") {
            out << kUsage;
            if (window)
                out << "  --screenshot FILE   after the steps, save the window as PNG and quit\n";
            return 0;
        }
        if (a == "-C" || a == "--export" || a == "--out" || a == "--set" || a == "--pick" ||
            a == "--click" || a == "--track" || a == "--tab" || a == "--timings" ||
            (window && a == "--screenshot")) {
            auto v = value();
            if (!v) {
                err << "kavro: " << a << " needs a value\n" << kUsage;
                return 2;
            }
            if (a == "-C") {
                o.directory = *v;
            } else if (a == "--export") {
                o.export_names = *v;
            } else if (a == "--out") {
                o.out_dir = *v;
            } else if (a == "--screenshot") {
                o.screenshot = *v;
            } else if (a == "--timings") {
                o.timings = *v;
            } else if (a == "--click") {
                o.steps.push_back({"click", *v, ""});
            } else {
                CliStep s{a.substr(2), "", ""};
                if (!split_assignment(*v, s.name, s.value)) {
                    err << "kavro: " << a << " expects NAME=VALUE, not '" << *v << "'\n";
                    return 2;
                }
                o.steps.push_back(std::move(s));
            }
            continue;
        }
        bool matched = false;
        if (!o.shorthand && o.steps.empty() && a == "osw") {
            auto archive = value();
            if (!archive) {
                err << "kavro: osw needs a folder or archive\n";
                return 2;
            }
            o.steps.push_back({"osw", "", *archive});
            o.shorthand = true;
            continue;
        }
        if (!o.shorthand && o.steps.empty()) {
            for (const Shorthand& sh : kShorthands) {
                if (a != sh.name) continue;
                auto file = value();
                if (!file) {
                    err << "kavro: " << a << " needs a file name\n";
                    return 2;
                }
                o.steps.push_back({"set", sh.field, *file});
                o.steps.push_back({"click", sh.load, ""});
                o.steps.push_back({"click", sh.analyse, ""});
                o.shorthand = true;
                matched = true;
                break;
            }
        }
        if (!matched) {
            err << "kavro: unexpected argument '" << a << "'\n" << kUsage;
            return 2;
        }
    }
    if (!o.export_names && o.shorthand && !window) o.export_names = "all";
    return -1;
}

bool enter_directory(const CliOptions& o, std::ostream& err) {
    if (!o.directory) return true;
    std::error_code ec;
    std::filesystem::current_path(*o.directory, ec);
    if (ec) {
        err << "kavro: cannot change to " << *o.directory << ": " << ec.message() << '\n';
        return false;
    }
    return true;
}

bool run_steps(TForm1& form, const std::vector<CliStep>& steps, std::ostream& out) {
    for (const CliStep& s : steps) {
        bool ok = true;
        if (s.kind == "osw") {
            ok = run_osw_step(form, s.value, out);
        } else if (s.kind == "set") {
            ok = form.user_set(s.name, s.value);
        } else if (s.kind == "click") {
            ok = form.user_click(s.name);
        } else {
            int number = 0;
            if (!TryStrToInt(s.value, number)) {
                ok = form.run([&] { StrToInt(s.value); });
            } else if (s.kind == "pick") {
                ok = form.user_pick(s.name, number);
            } else if (s.kind == "track") {
                ok = form.user_track(s.name, number);
            } else {
                ok = form.user_tab(s.name, number);
            }
        }
        if (!ok) return false;
    }
    return true;
}

namespace {
// A command of its own is the first argument after an optional -C DIR; it
// takes the rest of the line.
using Command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);
struct NamedCommand {
    const char* name;
    Command run;
};
constexpr NamedCommand kCommands[] = {{"summary", run_summary}, {"profile", run_profile_command}};
} // namespace

int run_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::size_t first = args.size() >= 2 && args[0] == "-C" ? 2 : 0;
    for (const NamedCommand& c : kCommands) {
        if (first >= args.size() || args[first] != c.name) continue;
        CliOptions where;
        if (first == 2) where.directory = args[1];
        if (!enter_directory(where, err)) return 2;
        return c.run({args.begin() + static_cast<std::ptrdiff_t>(first) + 1, args.end()}, out, err);
    }
    CliOptions options;
    if (int code = parse_cli(args, options, out, err); code >= 0) return code;
    if (!enter_directory(options, err)) return 2;

    StreamMessageBox messages(err);
    NoFileDialog dialog;
    NoShell shell;
    TForm1 form;
    form.message_box = &messages;
    form.file_dialog = &dialog;
    form.shell = &shell;
    form.FormShow();

    std::vector<StepTiming> timings;
    const bool ok = options.timings ? run_timed_steps(form, options.steps, timings)
                                    : run_steps(form, options.steps, out);
    if (options.export_names) {
        try {
            export_form(form, *options.export_names, options.out_dir);
        } catch (const std::exception& e) {
            err << e.what() << '\n';
            return 1;
        }
    }
    if (options.timings && !write_timings(*options.timings, timings, err)) return 1;
    return ok ? 0 : 1;
}

} // namespace kavro
