#include "osw_archive/osw_header.h"

#include "core/string_table.h"
#include "core/text.h"

#include <algorithm>

namespace kavro {

namespace {

constexpr int kHeaderRows = 12;

// `value` joined to `fact`, unless it is there already.
void add(std::string& fact, std::string_view value) {
    if (value.empty()) return;
    if (fact.empty()) {
        fact = value;
        return;
    }
    std::string_view rest = fact;
    for (;;) {
        const auto comma = rest.find(", ");
        if (rest.substr(0, comma) == value) return;
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 2);
    }
    // A few are worth telling apart; past that the line would only grow.
    if (fact.size() < 200) fact += ", " + std::string(value);
}

// The text after `key` when the line is `key` followed by blanks.
bool keyed(std::string_view line, std::string_view key, std::string_view& value) {
    if (line.substr(0, key.size()) != key) return false;
    const std::string_view rest = line.substr(key.size());
    if (rest.empty() || (rest.front() != ' ' && rest.front() != '\t')) return false;
    value = Trim(rest);
    return true;
}

} // namespace

bool OswHeader::empty() const {
    return platform.empty() && version.empty() && host.empty() && interval.empty() &&
           cores.empty() && processors.empty() && archive.empty();
}

void read_osw_header(const StringTable& raw, int first, OswHeader& into) {
    const int end = std::min(raw.RowCount(), first + kHeaderRows);
    for (int r = std::max(first, 1); r < end; ++r) {
        const std::string_view line = raw.Cell(0, r);
        if (line.find("zzz") != std::string_view::npos) break;
        std::string_view value;
        if (keyed(line, "SNAP_INTERVAL", value)) {
            add(into.interval, value);
        } else if (keyed(line, "CPU_CORES", value)) {
            add(into.cores, value);
        } else if (keyed(line, "VCPUS", value)) {
            add(into.processors, value);
        } else if (keyed(line, "OSWBB_ARCHIVE_DEST", value)) {
            add(into.archive, value);
        } else if (const auto mark = line.find(" OSWbb "); mark != std::string_view::npos) {
            // "<platform> OSWbb <version> <host>"
            add(into.platform, Trim(line.substr(0, mark)));
            std::string_view rest = Trim(line.substr(mark + 7));
            const auto blank = rest.find(' ');
            add(into.version, rest.substr(0, blank));
            if (blank != std::string_view::npos) add(into.host, Trim(rest.substr(blank)));
        }
    }
}

std::string osw_header_text(const OswHeader& h) {
    std::string text;
    const auto part = [&](std::string_view before, const std::string& fact,
                          std::string_view after = {}) {
        if (fact.empty()) return;
        if (!text.empty()) text += " \u00b7 ";
        text.append(before).append(fact).append(after);
    };
    part("", h.platform);
    part("OSWbb ", h.version);
    part("host ", h.host);
    part("a snapshot every ", h.interval, " s");
    part("", h.cores, " cores");
    part("", h.processors, " processors");
    part("archive ", h.archive);
    return text;
}

} // namespace kavro
