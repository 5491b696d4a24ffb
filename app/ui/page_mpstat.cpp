// The OSWatcher mpstat page.
#include "app/ui/page_kit.h"
#include "app/ui/pages.h"

namespace kavro::ui {

QWidget* build_mpstat_load_tab(Binder& b) {
    return build_load_tab(b, {"Logical Processor Statistics (mpstat)",
                              "OSW Filename",
                              "mpstat_filename",
                              "Button7",
                              {{"Button8", "Load OSW file"},
                               {"Button9", "Anlayze OSW File"},
                               {"Button10", "Clear All"}},
                              "mpstat_grid",
                              1268,
                              11});
}

QWidget* build_mpstat_analyze_tab(Binder&) { return new QWidget(); }

} // namespace kavro::ui
