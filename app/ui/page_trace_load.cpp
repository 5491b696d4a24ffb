// The SQL trace page: "Load" and "Raw Data" tabs.
#include "app/ui/page_kit.h"
#include "app/ui/pages.h"

namespace kavro::ui {

QWidget* build_trace_load_tab(Binder& b) {
    return build_load_tab(b, {"Oracle Trace File Analysis",
                              "SQL Trace Filename",
                              "SQLIdList",
                              "Button100",
                              {{"Button102", "Load SQL Trace File"},
                               {"Button2", "Anlayze SQL Trace File"},
                               {"Button104", "Clear All"}},
                              "trace_grid",
                              1011});
}

QWidget* build_trace_raw_tab(Binder&) { return new QWidget(); }

} // namespace kavro::ui
