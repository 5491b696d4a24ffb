// The timeline: which series are drawn, the display and hide lists that say
// so, the buttons between the lists and the 3D controls.
//
// Every action keeps one rule: a series is drawn exactly when its title is
// in the display list.
#include "trace_view/trace_view.h"

#include <string>
#include <vector>

namespace kavro::trace_view {

void show_selected_series(TracePage& page) {
    Chart& chart = page.trace_graph;
    const std::string& selection = page.cursor_combo.text();
    for (int i = 0; i < chart.series_count(); ++i) {
        Series& s = chart.series(i);
        s.set_active(cursor_match(selection, s.title()));
    }
}

namespace {

// Walks `from` from its last item to its first and moves every item for
// which `moves` holds to the end of `to`, so the moved items arrive in the
// reverse of their order and the items that stay keep theirs. The lists are
// rebuilt once instead of erasing item by item, which would cost a shift of
// the whole list per moved item, and the texts are moved, not copied; the
// selection ends where removing the items one by one would leave it. All
// the room is made before the first item moves, so running out of memory
// leaves both lists as they were.
template <class Moves> void move_backwards(ListBox& from, ListBox& to, Moves moves) {
    const std::vector<std::string>& items = from.items();
    const std::size_t n = items.size();
    std::vector<char> moving(n, 0);
    std::size_t moved = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (moves(items[i])) moving[i] = 1, ++moved;
    if (moved == 0) return;

    int selected = -1;
    const int old_selected = from.item_index();
    if (old_selected >= 0 && !moving[static_cast<std::size_t>(old_selected)]) {
        selected = 0;
        for (int i = 0; i < old_selected; ++i)
            if (!moving[static_cast<std::size_t>(i)]) ++selected;
    }
    to.reserve_more(moved);
    std::vector<std::string> rest;
    rest.reserve(n - moved);

    std::vector<std::string> all = from.take_items();
    for (std::size_t i = n; i-- > 0;)
        if (moving[i]) to.add(std::move(all[i]));
    for (std::size_t i = 0; i < n; ++i)
        if (!moving[i]) rest.push_back(std::move(all[i]));
    from.assign(std::move(rest));
    from.select(selected);
}

// Appends every item of `from`, first to last, to `to` and empties `from`.
void move_all(ListBox& from, ListBox& to) {
    if (from.count() == 0) return;
    to.reserve_more(static_cast<std::size_t>(from.count()));
    for (std::string& item : from.take_items()) to.add(std::move(item));
}

void set_all_active(Chart& chart, bool active) {
    for (int i = 0; i < chart.series_count(); ++i) chart.series(i).set_active(active);
}

// Moves the selected item of `from` to the end of `to` and draws or hides
// the series of that exact title; nothing when `from` has no selection.
void move_selected(ListBox& from, ListBox& to, Chart& chart, bool active) {
    const int index = from.item_index();
    if (index < 0) return;
    const std::string item = from.items()[static_cast<std::size_t>(index)];
    for (int s : chart.series_with_title(item)) chart.series(s).set_active(active);
    to.add(item);
    from.remove(index);
}

} // namespace

void sort_lists(TracePage& page) {
    const std::string& selection = page.cursor_combo.text();
    if (selects_all(selection)) {
        move_all(page.hidebox, page.dispbox);
        return;
    }
    // Items moved to the hide list by the first walk never match, so the
    // second walk only brings back what was hidden before.
    move_backwards(page.dispbox, page.hidebox,
                   [&](const std::string& item) { return !cursor_match(selection, item); });
    move_backwards(page.hidebox, page.dispbox,
                   [&](const std::string& item) { return cursor_match(selection, item); });
}

void display_picked_series(TracePage& page) {
    move_selected(page.hidebox, page.dispbox, page.trace_graph, true);
}

void hide_picked_series(TracePage& page) {
    move_selected(page.dispbox, page.hidebox, page.trace_graph, false);
}

void display_all_series(TracePage& page) {
    move_all(page.hidebox, page.dispbox);
    set_all_active(page.trace_graph, true);
}

void hide_all_series(TracePage& page) {
    move_all(page.dispbox, page.hidebox);
    set_all_active(page.trace_graph, false);
}

void apply_timeline_3d(TracePage& page) {
    page.trace_graph.set_view3d(page.graph_3d.checked());
}

void apply_timeline_aspect_lock(TracePage& page) {
    Chart& chart = page.trace_graph;
    if (!page.trace_graph_asplock.checked()) {
        // Only the rotation is released; zoom and offsets stay as they are.
        chart.set_orthogonal(false);
        return;
    }
    chart.set_orthogonal(true);
    chart.set_vert_offset(0);
    chart.set_horiz_offset(0);
    chart.set_zoom(100);
    chart.set_rotation(360);
    // Moving the sliders runs their change actions, which set the same zoom
    // and rotation again; the sliders then show what the chart does.
    page.trace_graph_zoom.set_position(100);
    page.trace_graph_rot.set_position(360);
}

void apply_timeline_rotation(TracePage& page) {
    page.trace_graph.set_rotation(page.trace_graph_rot.position());
}

void apply_timeline_zoom(TracePage& page) {
    page.trace_graph.set_zoom(page.trace_graph_zoom.position());
}

} // namespace kavro::trace_view
