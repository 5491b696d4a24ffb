// The cursor match, the order of the refresh and the view buttons.
#include "trace_view/trace_view.h"

#include "core/text.h"

namespace kavro::trace_view {

bool selects_all(std::string_view selection) {
    return selection == "All";
}

bool cursor_match(std::string_view selection, std::string_view text) {
    // Pos never finds an empty text, so an emptied field selects nothing
    // rather than everything.
    return selects_all(selection) || Contains(text, selection);
}

void refresh_for_cursor(TracePage& page) {
    // Every view is refreshed, whichever one is in front, so switching views
    // afterwards shows the same cursor everywhere.
    show_selected_series(page);
    refill_touch_pies(page);
    refill_plan(page);
    sort_lists(page);
}

namespace {
void show_box(TracePage& page, const Box& shown) {
    page.box_tl.visible = &shown == &page.box_tl;
    page.box_tc.visible = &shown == &page.box_tc;
    page.box_ep.visible = &shown == &page.box_ep;
}
} // namespace

void show_timeline_view(TracePage& page) {
    show_box(page, page.box_tl);
}
void show_touch_view(TracePage& page) {
    show_box(page, page.box_tc);
}
void show_plan_view(TracePage& page) {
    show_box(page, page.box_ep);
}

} // namespace kavro::trace_view
