// SQL trace handlers: load, analysis and Clear All.
#include "app/form.h"
#include "trace/analysis.h"
#include "trace/load.h"

namespace kavro {

void TForm1::Button102Click() {
    load_trace_file(trace);
}
void TForm1::Button2Click() {
    run_trace_analysis(trace, rules);
}
void TForm1::Button104Click() {
    clear_trace_page(trace);
}

} // namespace kavro
