// The trace page's "Profile" tab: its controls and handlers.
#include "app/form.h"

namespace kavro {

void TForm1::add_profile_tab() {
    ProfileTab& p = profile_tab;
    trace.Page_SQL_Hist.tab_names.push_back("TabSheetProfile");
    trace.Page_SQL_Hist.tab_captions.push_back("Profile");
    for (auto [name, table] : std::initializer_list<std::pair<const char*, StringTable*>>{
             {"profile_grid", &p.profile_grid},
             {"profile_statements", &p.profile_statements},
             {"profile_calls", &p.profile_calls},
             {"profile_waits", &p.profile_waits},
             {"profile_plan", &p.profile_plan},
             {"profile_hist", &p.profile_hist},
             {"profile_objects", &p.profile_objects},
             {"profile_errors", &p.profile_errors},
             {"profile_gaps", &p.profile_gaps},
             {"profile_ignored", &p.profile_ignored}})
        tables.emplace_back(name, table);
    charts.emplace_back("profile_hist_count", &p.profile_hist_count);
    charts.emplace_back("profile_hist_time", &p.profile_hist_time);
    edits.emplace_back("profile_from", &p.profile_from);
    edits.emplace_back("profile_to", &p.profile_to);
    selectors.emplace_back("profile_stmt", &p.profile_stmt);
    selectors.emplace_back("profile_event", &p.profile_event);
    buttons.emplace_back("profile_apply", [this] { profile_applyClick(); });
    buttons.emplace_back("profile_whole", [this] { profile_wholeClick(); });
    p.profile_stmt.on_change = [this] { profile_stmtChange(); };
    p.profile_event.on_change = [this] { profile_eventChange(); };
}

void TForm1::ProfileTabShow() {
    if (profile_tab.stale) build_profile_tab(profile_tab, trace.trace_grid);
}

void TForm1::profile_applyClick() {
    build_profile_tab(profile_tab, trace.trace_grid);
}

void TForm1::profile_wholeClick() {
    profile_tab.profile_from.text.clear();
    profile_tab.profile_to.text.clear();
    build_profile_tab(profile_tab, trace.trace_grid);
}

void TForm1::profile_stmtChange() {
    profile_tab.detail_view = 0;
    ++profile_tab.detail_revision;
    show_profile_statement(profile_tab, profile_tab.profile_stmt.item_index());
}

void TForm1::profile_eventChange() {
    profile_tab.detail_view = 1;
    ++profile_tab.detail_revision;
    show_profile_event(profile_tab, profile_tab.profile_event.item_index());
}

} // namespace kavro
