#include "core/batches.h"
#include "core/convert.h"
#include "core/fast_text.h"
#include "core/progress.h"
#include "osw_ps/ps.h"
#include "osw_ps/ps_publish.h"
#include "osw_ps/ps_read.h"

namespace kavro {

bool try_cpu_value(std::string_view text, double& value) {
    if (read_plain_decimal(text, value)) return true;
    int whole = 0;
    if (TryStrToInt(text, whole)) {
        value = whole;
        return true;
    }
    return TryStrToFloat(text, value);
}

double cpu_value(std::string_view text) {
    double value = 0;
    if (try_cpu_value(text, value)) return value;
    return StrToFloat(text);
}

void analyse_ps(PsPage& page, const TraceRulesPage& rules) {
    // Every run starts from a clean result, so analysing the same lines twice
    // gives the table and charts of one run rather than a second copy of
    // every row and point.
    page.osw_ps_grid.ResetTable();
    // A snapshot's time stands on each of its few thousand rows: kept once
    // per time rather than once per row.
    page.osw_ps_grid.intern_column(osw_ps_grid_col::Time);
    page.osw_process_chart.remove_all_series();
    page.processes.clear();

    page.osw_grid.TrimTable();
    PsReader reader(page.osw_grid, rules);
    PsPublisher publisher(page);
    const auto total = static_cast<std::uint64_t>(page.osw_grid.RowCount());
    try {
        read_then_publish<PsBatch>(
            [&](PsBatch& batch) { return reader.read(batch); },
            [&](const PsBatch& batch) {
                publisher.publish(batch);
                progress_steps(static_cast<std::uint32_t>(batch.end - batch.first),
                               static_cast<std::uint64_t>(batch.end), total, "Anlayze OSW File");
            },
            false);
    } catch (...) {
        // A run stopped while reading (a rule position that is no number, a
        // cancel) leaves its rows and no process lines, as when the lines
        // were drawn from the finished table.
        page.osw_process_chart.remove_all_series();
        page.processes.clear();
        throw;
    }
    publisher.finish();
    filter_ps(page);
    page.OSWPage.active_tab = page.OSWPage.tab_index("oswtab1");
}

} // namespace kavro
