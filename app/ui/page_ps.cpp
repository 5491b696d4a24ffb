// The OSWatcher ps page.
#include "app/ui/page_kit.h"
#include "app/ui/pages.h"

namespace kavro::ui {

QWidget* build_ps_load_tab(Binder& b) {
    return build_load_tab(b, {"Process Statistics (ps)",
                              "OSW Filename",
                              "osw_filename",
                              "Button1",
                              {{"Button85", "Load OSW file"},
                               {"Button4", "Anlayze OSW File"},
                               {"Button5", "Clear All"}},
                              "osw_grid",
                              1268,
                              11});
}

QWidget* build_ps_analyze_tab(Binder&) { return new QWidget(); }
QWidget* build_ps_raw_tab(Binder&) { return new QWidget(); }

} // namespace kavro::ui
