#include "core/line_reader.h"
#include "core/progress.h"
#include "osw_ps/ps.h"

#include <string>

namespace kavro {

void load_ps(PsPage& page) {
    StringTable& grid = page.osw_grid;
    // Opened before anything changes, so a missing file leaves the table as
    // it was.
    LineReader reader(page.osw_filename.text);
    std::string_view line;
    if (!reader.next(line)) return;
    // The analysis trims the raw table, which takes away its append slot.
    // Without a slot back the first line of this file would land on the last
    // line of the earlier one (or in the title row, when the trim left that
    // alone): give the table its slot again so the new lines follow the old.
    if (grid.RowCount() == 1 || !grid.Cell(0, grid.RowCount() - 1).empty())
        grid.SetRowCount(grid.RowCount() + 1);
    grid.AppendLine(line);
    progress_step(reader.bytes_consumed(), reader.file_size(), page.osw_filename.text);
    // The rest goes from the file's blocks straight into the table.
    reader.append_to(grid, page.osw_filename.text);
}

void clear_ps(PsPage& page) {
    page.osw_grid.ResetTable();
    page.osw_ps_grid.ResetTable();
    // Runs the "Time" sort when another choice was selected; on the emptied
    // table it has nothing to move.
    page.RadioButton1.select();
    // Move-assigned: copying a literal in place trips a false -Wrestrict in
    // GCC 12 at -O2.
    page.cpu_thr_value.text = std::string("5");
    page.pid_filter.text.clear();
    page.owner_filter.text.clear();
    page.osw_gantt.series(0).clear();
    page.osw_proc_count_chart.series(0).clear();
    page.osw_cpuutil_chart.series(0).clear();
    page.osw_process_chart.remove_all_series();
    page.processes.clear();
}

} // namespace kavro
