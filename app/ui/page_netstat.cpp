// The OSWatcher netstat page.
#include "app/ui/page_kit.h"
#include "app/ui/pages.h"

namespace kavro::ui {

QWidget* build_netstat_load_tab(Binder& b) {
    return build_load_tab(b, {"Process Statistics (netstat)",
                              "OSW Filename",
                              "netstat_filename",
                              "Button11",
                              {{"Button12", "Load OSW file"},
                               {"Button13", "Anlayze OSW File"},
                               {"Button14", "Clear All"},
                               {"Button15", "Clear Analysis"}},
                              "nets_trace_grid",
                              1311});
}

QWidget* build_netstat_analyze_tab(Binder&) { return new QWidget(); }
QWidget* build_netstat_raw_tab(Binder&) { return new QWidget(); }

} // namespace kavro::ui
