#include "trace/analysis.h"

#include "trace/load.h"
#include "trace/publish.h"
#include "trace/scan.h"

namespace kavro {

void analyse_trace(TracePage& page, const TraceRulesPage& rules) {
    clear_trace_results(page);
    scan_trace(page, read_scan_rules(rules));
    publish_trace(page);
}

} // namespace kavro
