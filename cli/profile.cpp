#include "cli/profile.h"

#include "core/convert.h"
#include "profile/profile.h"
#include "profile/report.h"

#include <fstream>
#include <optional>

namespace kavro {

namespace {

const char* kProfileUsage =
    "usage: kavro-cli profile FILE [--json OUT] [--top N] [--from T] [--to T]\n"
    "\n"
    "The response-time profile of an extended SQL trace: time by component\n"
    "(CPU, each wait event, unaccounted-for), by statement, with the waits'\n"
    "histograms, transactions, errors and gaps. Reads the file as a stream.\n"
    "  --json OUT   also write the profile as JSON into OUT\n"
    "  --top N      statements shown in full in the report (default 10)\n"
    "  --from T     count only lines whose tim is at or after T\n"
    "  --to T       count only lines whose tim is at or before T\n"
    "T is a wall-clock time (2019-07-09 09:57:10, 2019-07-09T09:57:10.5,\n"
    "09:57:10 on the trace's first day) or seconds from the start (90, 1.5).\n";

} // namespace

int run_profile_command(const std::vector<std::string>& args, std::ostream& out,
                        std::ostream& err) {
    std::optional<std::string> file, json, from, to;
    profile::ReportOptions report;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            out << kProfileUsage;
            return 0;
        }
        if (a == "--json" || a == "--top" || a == "--from" || a == "--to") {
            if (i + 1 >= args.size()) {
                err << "kavro: " << a << " needs a value\n" << kProfileUsage;
                return 2;
            }
            const std::string& v = args[++i];
            if (a == "--json") {
                json = v;
            } else if (a == "--from") {
                from = v;
            } else if (a == "--to") {
                to = v;
            } else {
                int n = 0;
                if (!TryStrToInt(v, n) || n < 0) {
                    err << "kavro: --top expects a number, not '" << v << "'\n";
                    return 2;
                }
                report.top = static_cast<std::size_t>(n);
            }
            continue;
        }
        if (!file && !a.starts_with("--")) {
            file = a;
            continue;
        }
        err << "kavro: unexpected argument '" << a << "'\n" << kProfileUsage;
        return 2;
    }
    if (!file) {
        err << "kavro: profile needs a trace file\n" << kProfileUsage;
        return 2;
    }
    try {
        profile::Window window;
        if (from || to) {
            // The start and the clock pair come from the whole file first.
            const profile::Profile whole = profile::profile_file(*file);
            for (auto [text, bound] :
                 {std::pair{&from, &window.from}, std::pair{&to, &window.to}}) {
                if (!*text) continue;
                *bound = profile::window_tim(**text, whole);
                if (!*bound) {
                    err << "kavro: '" << **text
                        << "' is neither a time of the trace's clock nor seconds from its start\n";
                    return 2;
                }
            }
        }
        const profile::Profile p = profile::profile_file(*file, window);
        profile::write_report(out, p, report);
        if (json) {
            std::ofstream f(*json, std::ios::binary);
            f << profile::to_json(p);
            f.close();
            if (!f) {
                err << "kavro: cannot write " << *json << "\n";
                return 1;
            }
        }
    } catch (const std::exception& e) {
        err << *file << ": " << e.what() << '\n';
        return 1;
    }
    return 0;
}

} // namespace kavro
