// The response-time profile on arbitrary traces. The profile of the file's
// lines fed one by one to a Builder (as kavro-cli profile reads a file) must
// equal the profile of the same lines loaded into a table (as the trace
// page's Profile tab reads trace_grid); both reports are written. Then a
// window, from the input's last line read as a --from text and from the
// middle of the whole profile's span, is profiled too: it sees a subset of
// the lines, so no session, component or statement can grow in it.
#include "core/error.h"
#include "core/line_reader.h"
#include "core/string_table.h"
#include "profile/profile.h"
#include "profile/report.h"

#include "fuzz/memory_file.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

namespace {

using kavro::profile::Profile;
using kavro::profile::Window;

void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// The input's last line, which a run may take as the text of a window's
// start: a number of seconds or a time of day.
std::string_view last_line(const std::uint8_t* data, std::size_t size) {
    std::string_view all(reinterpret_cast<const char*>(data), size);
    while (!all.empty() && (all.back() == '\n' || all.back() == '\r')) all.remove_suffix(1);
    const std::size_t nl = all.rfind('\n');
    std::string_view line = nl == std::string_view::npos ? all : all.substr(nl + 1);
    return line.substr(0, 64);
}

void write_report(const Profile& p) {
    std::ostringstream report;
    kavro::profile::write_report(report, p, {3, 2});
    if (report.str().find("Response-time profile") == std::string::npos)
        fail("The report has no title");
}

// What a window can hold is what the whole trace holds, or less. (Not the
// count of CPU calls: it counts top-level calls, and a recursive call whose
// parent is cut off by the window is top-level in it.)
void within(const Profile& part, const Profile& whole) {
    std::map<std::string_view, std::int64_t> counts;
    for (const auto& c : whole.components)
        if (c.max) counts[c.name] = *c.count;
    for (const auto& c : part.components)
        if (c.max && *c.count > counts[c.name]) fail("A window counts more waits of an event");
    if (part.sessions.size() > whole.sessions.size()) fail("A window has more sessions");
    if (part.statements.size() > whole.statements.size()) fail("A window has more statements");
    if (part.response_time > whole.response_time) fail("A window has a longer response time");
    if (part.lines != whole.lines) fail("A window read another number of lines");
}

// As for the page targets: longer inputs add length, not new forms.
constexpr std::size_t kMaxInput = 1 << 16;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput) return 0;
    static const std::string path = kavro::fuzz::memory_file_path();
    kavro::fuzz::write_memory_file(data, size);
    Profile whole;
    kavro::StringTable grid(1);
    try {
        whole = kavro::profile::profile_file(path);
        kavro::LineReader(path).append_to(grid);
    } catch (const kavro::Error&) {
        return 0; // a file the reader refuses
    }
    const std::string json = kavro::profile::to_json(whole);
    if (kavro::profile::to_json(kavro::profile::profile_table(grid)) != json)
        fail("The profile of the loaded table differs from the profile of the file");
    write_report(whole);

    Window window;
    window.from = kavro::profile::window_tim(last_line(data, size), whole);
    if (whole.first && whole.last && *whole.last >= *whole.first) {
        // A quarter in from each end, computed without overflow.
        const auto first = static_cast<__int128>(*whole.first);
        const auto quarter = (static_cast<__int128>(*whole.last) - first) / 4;
        if (!window.from) window.from = static_cast<std::int64_t>(first + quarter);
        window.to = static_cast<std::int64_t>(static_cast<__int128>(*whole.last) - quarter);
    }
    if (window.empty()) return 0;
    const Profile part = kavro::profile::profile_file(path, window);
    within(part, whole);
    write_report(part);
    (void)kavro::profile::to_json(part);
    return 0;
}
