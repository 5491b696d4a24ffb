// SQL trace handlers: load, analysis and Clear All.
#include "app/form.h"
#include "trace/analysis.h"
#include "trace/load.h"

namespace kavro {

void TForm1::Button102Click() {
    // The profile of the new lines is built when its tab is shown.
    clear_profile_tab(profile_tab);
    profile_tab.stale = true;
    load_trace(trace);
}
void TForm1::Button2Click() {
    analyse_trace(trace, rules);
}
void TForm1::Button104Click() {
    clear_trace(trace);
    clear_profile_tab(profile_tab);
}

} // namespace kavro
