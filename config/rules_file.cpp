#include "config/rules_page.h"

#include "core/line_reader.h"
#include "core/text.h"

#include <string>

namespace kavro {

namespace {

// A table that a section left trimmed gets its append slot back, so a
// second section of the same name adds its rules after the first one's
// instead of writing over the last of them.
void reopen(StringTable& table) {
    if (table.RowCount() == 1 || !table.Cell(0, table.RowCount() - 1).empty())
        table.SetRowCount(table.RowCount() + 1);
}

// Reads a line into `line`; false at the end of the file.
bool read_line(LineReader& reader, std::string& line) {
    std::string_view v;
    if (!reader.next(v)) return false;
    line.assign(v);
    return true;
}

void read_table_section(LineReader& reader, const std::string& first, StringTable& table) {
    reopen(table);
    std::string line = first;
    bool more = true;
    // A header directly followed by its "[END]" is an empty section; the end
    // of the file closes a section as "[END]" would.
    while (more && !Contains(line, "[END]")) {
        table.AppendRow({line});
        more = read_line(reader, line);
    }
    table.TrimTable();
}

// The Start and Count of a key line "key=Start,Count".
void cut_key(std::string_view line, Edit& start, Edit& count) {
    const int e = Pos("=", line);
    const int c = Pos(",", line);
    if (e == 0)
        start.text.assign(Copy(line, 1, c - 1));
    else
        start.text.assign(Copy(line, e + 1, c - e - 1));
    if (c == 0)
        count.text.assign(line);
    else
        count.text.assign(Copy(line, c + 1, static_cast<long long>(line.size())));
}

void read_ps_section(LineReader& reader, std::string& held, TraceRulesPage& rules) {
    reopen(rules.tracerules_grid7);
    bool more = true;
    while (more && !Contains(held, "[END]")) {
        if (Contains(held, "user")) cut_key(held, rules.psuser_posb, rules.psuser_pose);
        if (Contains(held, "process")) cut_key(held, rules.psproc_posb, rules.psproc_pose);
        if (Contains(held, "cpu")) cut_key(held, rules.pscpu_posb, rules.pscpu_pose);
        if (Contains(held, "heading")) rules.tracerules_grid7.AppendRow({TextAfter(held, "=")});
        more = read_line(reader, held);
    }
    rules.tracerules_grid7.TrimTable();
}

enum class Section { None, Wait, Touch1Wait, Touch2, Fetch, Touch1Fetch, Netstat, Ps };

Section classify(const std::string& line) {
    if (line == "[General Trace Statistics WAIT]") return Section::Wait;
    if (line == "[Touch Count Analysis 1 WAIT]") return Section::Touch1Wait;
    if (line == "[Touch Count Analysis 2]") return Section::Touch2;
    if (line == "[General Trace Statistics FETCH]") return Section::Fetch;
    if (line == "[Touch Count Analysis 1 FETCH]") return Section::Touch1Fetch;
    if (line == "[OSW-NETSTAT]") return Section::Netstat;
    if (line == "[OSW-PS]") return Section::Ps;
    return Section::None;
}

} // namespace

void read_trace_rules(const std::string& path, TraceRulesPage& rules) {
    LineReader reader(path);
    std::string held;
    for (;;) {
        const Section section = classify(held);
        if (!read_line(reader, held)) break;
        switch (section) {
        case Section::None:
            break;
        case Section::Wait:
            read_table_section(reader, held, rules.tracerules_grid1);
            break;
        case Section::Touch1Wait:
            read_table_section(reader, held, rules.tracerules_grid2);
            break;
        case Section::Touch2:
            read_table_section(reader, held, rules.tracerules_grid3);
            break;
        case Section::Fetch:
            read_table_section(reader, held, rules.tracerules_grid4);
            break;
        case Section::Touch1Fetch:
            read_table_section(reader, held, rules.tracerules_grid5);
            break;
        case Section::Netstat:
            read_table_section(reader, held, rules.tracerules_grid6);
            break;
        case Section::Ps:
            read_ps_section(reader, held, rules);
            break;
        }
    }
}

} // namespace kavro
