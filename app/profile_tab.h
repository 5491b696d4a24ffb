#pragma once

// The "Profile" tab of the trace page: the response-time profile of the
// loaded trace_grid, as tables and charts the view shows. It reads
// trace_grid and writes only its own controls; the profile is built when
// the tab is first shown after a load, so a load costs no more than it did.

#include "chart/chart.h"
#include "core/controls.h"
#include "core/items.h"
#include "core/string_table.h"
#include "profile/profile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kavro {

struct ProfileTab {
    ProfileTab();
    ProfileTab(const ProfileTab&) = delete;
    ProfileTab& operator=(const ProfileTab&) = delete;

    static constexpr int kTabIndex = 3; // of Page_SQL_Hist

    // The window: wall-clock times or seconds from the start; empty for
    // the whole trace.
    Edit profile_from, profile_to;

    // Summary lines above the tables, and the picked statement's SQL text.
    std::string header;
    std::string sql_text;
    std::uint64_t text_revision = 0; // moves when either changes

    StringTable profile_grid{7};        // the profile: component by time
    StringTable profile_statements{12}; // by elapsed
    StringTable profile_calls{8};       // the picked statement's call table
    StringTable profile_waits{5};       // its waits
    StringTable profile_plan{11};       // its plan rows
    StringTable profile_hist{5};        // the picked event's histogram
    StringTable profile_objects{5};
    StringTable profile_errors{4};
    StringTable profile_gaps{3};
    StringTable profile_ignored{2}; // the first lines passed over

    Selector profile_stmt;  // statement keys, in profile_statements' order
    Selector profile_event; // wait events with a histogram
    Chart profile_hist_count, profile_hist_time;

    // The detail the user asked for last: 0 the statement, 1 the histogram.
    int detail_view = 0;
    std::uint64_t detail_revision = 0;

    bool stale = false; // a trace was loaded since the last build
    profile::Profile current;
    // Of the whole trace, to read the window's times against.
    std::optional<std::int64_t> whole_first;
    std::optional<profile::Clock> whole_clock;
};

// Writes the column titles (start-up).
void write_profile_titles(ProfileTab& tab);
// Empties every control of the tab, the window edits too.
void clear_profile_tab(ProfileTab& tab);
// Builds the profile of `trace_grid` within the tab's window and publishes it.
// Throws kavro::Error when a window time cannot be read.
void build_profile_tab(ProfileTab& tab, const StringTable& trace_grid);
// Fills the detail of statement `index` of the current profile.
void show_profile_statement(ProfileTab& tab, int index);
// Fills the histogram of event `index` of the event list.
void show_profile_event(ProfileTab& tab, int index);

} // namespace kavro
