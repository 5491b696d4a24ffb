// The SQL trace page: "Analyze" tab.
#include "app/ui/pages.h"

namespace kavro::ui {

QWidget* build_trace_analyze_tab(Binder&) { return new QWidget(); }

} // namespace kavro::ui
