#include "trace/plan.h"

#include "core/convert.h"
#include "core/text.h"
#include "trace/cuts.h"
#include "trace/trace_page.h"

#include <algorithm>

namespace kavro {

namespace {

// Walks a STAT line field by field: each step drops everything through a
// marker (and `skip` characters more) and cuts the value up to a stop text.
// A marker that is missing drops only the skip, as the fixed layout of the
// older line forms relies on.
class PlanCursor {
public:
    explicit PlanCursor(std::string_view s) : s_(s) {}
    std::string_view value(std::string_view marker, int skip, std::string_view stop,
                           int stop_back = 1) {
        s_ = drop_front(s_, static_cast<long long>(Pos(marker, s_)) + skip);
        return Copy(s_, 1, static_cast<long long>(Pos(stop, s_)) - stop_back);
    }

private:
    std::string_view s_;
};

} // namespace

void extract_plan_line(std::string_view line, StringTable& execplan_grid, std::string& buffer) {
    extract_plan_line(TextRef(line), execplan_grid, buffer);
}

void extract_plan_line(const TextRef& line_ref, StringTable& execplan_grid, std::string& buffer) {
    const std::string_view line = line_ref.text();
    if (!BeginsWith(line, "STAT")) return;
    const std::string_view s = drop_front(line, static_cast<long long>(Pos("#", line)) - 1);
    buffer.assign(Copy(s, 1, static_cast<long long>(Pos(" ", s)) - 1));
    buffer.push_back(':');
    execplan_grid.SetSlotCell(execplan_grid_col::Cursor, buffer);

    PlanCursor at(s);
    // The plain cuts point to the line's bytes.
    const auto cut = [&](std::string_view piece) { return line_ref.piece(piece); };
    execplan_grid.SetSlotCellRef(execplan_grid_col::Count, cut(at.value("cnt=", 3, " ")));
    const int pos = StrToInt(at.value("pos=", 3, " "));
    execplan_grid.SetSlotCellRef(execplan_grid_col::Object, cut(at.value("obj=", 3, " ")));
    // The skip of op= also drops the opening quote; the operation ends before
    // the blank that precedes "(cr".
    const std::string_view operation = at.value("op=", 3, "(cr", 2);
    const int depth = std::min(pos, kMaxPlanDepth);
    buffer.assign(depth >= 1 ? static_cast<std::size_t>(2 * depth - 1) : 0, ' ');
    buffer.append(operation);
    execplan_grid.SetSlotCell(execplan_grid_col::Operation, buffer);
    execplan_grid.SetSlotCellRef(execplan_grid_col::LogReads, cut(at.value("cr=", 2, " ")));
    execplan_grid.SetSlotCellRef(execplan_grid_col::PhyReads, cut(at.value("pr=", 2, " ")));
    execplan_grid.SetSlotCellRef(execplan_grid_col::PhyWrites, cut(at.value("pw=", 2, " ")));
    execplan_grid.SetSlotCellRef(execplan_grid_col::Time, cut(at.value("time=", 4, " ")));
    execplan_grid.SetSlotCellRef(execplan_grid_col::Cost, cut(at.value("cost=", 4, " ")));
    execplan_grid.SetSlotCellRef(execplan_grid_col::Size, cut(at.value("size=", 4, " ")));
    execplan_grid.SetSlotCellRef(execplan_grid_col::Cardinality, cut(at.value("card=", 4, ")")));
    execplan_grid.CommitSlot();
}

} // namespace kavro
