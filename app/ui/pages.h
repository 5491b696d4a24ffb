#pragma once

// Builders of the tabs of the seven page controls. Each returns the widget
// that fills one tab; the main window stacks the page controls.

#include "app/ui/binder.h"

namespace kavro::ui {

QWidget* build_about_tab(Binder& b);
QWidget* build_settings_tab(Binder& b);
QWidget* build_rules_tab(Binder& b);

QWidget* build_trace_load_tab(Binder& b);
QWidget* build_trace_analyze_tab(Binder& b);
QWidget* build_trace_raw_tab(Binder& b);
QWidget* build_trace_profile_tab(Binder& b);

QWidget* build_ps_load_tab(Binder& b);
QWidget* build_ps_analyze_tab(Binder& b);
QWidget* build_ps_raw_tab(Binder& b);

QWidget* build_mpstat_load_tab(Binder& b);
QWidget* build_mpstat_analyze_tab(Binder& b);

QWidget* build_netstat_load_tab(Binder& b);
QWidget* build_netstat_analyze_tab(Binder& b);
QWidget* build_netstat_raw_tab(Binder& b);

} // namespace kavro::ui
