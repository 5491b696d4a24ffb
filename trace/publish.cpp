#include "trace/publish.h"

#include "core/convert.h"
#include "core/hash.h"
#include "core/progress.h"
#include "core/text.h"

#include <algorithm>
#include <vector>

namespace kavro {

void wait_series_title(const StringTable& trace_detail, int row, std::string& title) {
    title.assign(trace_detail.Cell(trace_detail_col::Event, row));
    title.push_back('(');
    title.append(trace_detail.Cell(trace_detail_col::Type, row));
    title.push_back(')');
}

int data_rows_end(const StringTable& table) {
    if (table.RowCount() == 2 && table.Cell(0, 1).empty()) return 1;
    return table.RowCount();
}

namespace {

// Publishing a large trace takes seconds: its row loops report to the
// progress dialog as one piece of work.
struct PublishProgress {
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    void step() { progress_step(++done, total, "Building the charts"); }
};

// The series each row of trace_detail and trace_detail2 feeds, by index.
struct RowSeries {
    std::vector<int> waits, fetches;
};

// The series of the titles met so far, by the text keys of the cells a
// title is made of (StringTable::TextKey): rows whose cells have the same
// keys have the same title, so a title is built and looked up once per
// distinct pair of keys instead of once per row.
class SeriesByKeys {
public:
    static constexpr int npos = -1;
    int find(std::uint64_t a, std::uint64_t b) const {
        const std::uint32_t id = index_.find(hash(a, b), [&](std::uint32_t i) {
            return keys_[i] == Keys{a, b};
        });
        return id == FlatIndex::npos ? npos : series_[id];
    }
    void add(std::uint64_t a, std::uint64_t b, int series) {
        room_for_one(keys_);
        room_for_one(series_);
        index_.reserve(keys_.size() + 1);
        index_.insert(hash(a, b), static_cast<std::uint32_t>(keys_.size()));
        keys_.push_back({a, b});
        series_.push_back(series);
    }

private:
    using Keys = std::pair<std::uint64_t, std::uint64_t>;
    static std::uint64_t hash(std::uint64_t a, std::uint64_t b) {
        return detail::mix64(a * 0x9E3779B97F4A7C15ull ^ detail::mix64(b));
    }
    FlatIndex index_;
    std::vector<Keys> keys_;
    std::vector<int> series_;
};

// One line series per distinct title, in the order the titles first occur;
// a title that a series already bears creates nothing. The run starts with
// no series, so every title ends with exactly one, whose index is kept per
// row: the points then need no second lookup.
RowSeries create_timeline_series(TracePage& page, PublishProgress& progress) {
    Chart& graph = page.trace_graph;
    RowSeries out;
    std::string title, last;
    int last_index = -1;
    const auto series_for = [&](std::string_view t) {
        // Rows of one cursor and event tend to follow each other.
        if (last_index >= 0 && t == last) return last_index;
        const auto& found = graph.series_with_title(t);
        if (!found.empty()) {
            last_index = found.front();
        } else {
            Series& s = graph.add_series(SeriesKind::Line);
            s.set_title(t);
            page.dispbox.add(t);
            last_index = s.index();
        }
        last.assign(t);
        return last_index;
    };
    const StringTable& waits = page.trace_detail;
    const StringTable& fetches = page.trace_detail2;
    out.waits.reserve(static_cast<std::size_t>(data_rows_end(waits) - 1));
    out.fetches.reserve(static_cast<std::size_t>(data_rows_end(fetches) - 1));
    // A wait row's title is made of its Event and Metric Type, a fetch
    // row's is its Event; a row whose cells have no key is looked up by its
    // title text.
    SeriesByKeys wait_keys, fetch_keys;
    std::uint64_t a = 0, b = 0;
    for (int r = 1, end = data_rows_end(waits); r < end; ++r) {
        progress.step();
        int index = SeriesByKeys::npos;
        const bool keyed = waits.TextKey(trace_detail_col::Event, r, a) &&
                           waits.TextKey(trace_detail_col::Type, r, b);
        if (keyed) index = wait_keys.find(a, b);
        if (index == SeriesByKeys::npos) {
            wait_series_title(waits, r, title);
            index = series_for(title);
            if (keyed) wait_keys.add(a, b, index);
        }
        out.waits.push_back(index);
    }
    for (int r = 1, end = data_rows_end(fetches); r < end; ++r) {
        progress.step();
        int index = SeriesByKeys::npos;
        const bool keyed = fetches.TextKey(trace_detail2_col::Event, r, a);
        if (keyed) index = fetch_keys.find(a, 0);
        if (index == SeriesByKeys::npos) {
            index = series_for(fetches.Cell(trace_detail2_col::Event, r));
            if (keyed) fetch_keys.add(a, 0, index);
        }
        out.fetches.push_back(index);
    }
    return out;
}

// Time, then value, converted for each row, in row order. Each series gets
// room for all its points first, so it grows once, to its size.
void add_timeline_points(TracePage& page, const RowSeries& series, PublishProgress& progress) {
    const StringTable& waits = page.trace_detail;
    const StringTable& fetches = page.trace_detail2;
    Chart& graph = page.trace_graph;
    std::vector<std::size_t> counts(static_cast<std::size_t>(graph.series_count()), 0);
    for (const int s : series.waits) ++counts[static_cast<std::size_t>(s)];
    for (const int s : series.fetches) ++counts[static_cast<std::size_t>(s)];
    for (int s = 0; s < graph.series_count(); ++s) {
        Series& target = graph.series(s);
        const std::size_t n = counts[static_cast<std::size_t>(s)];
        if (n > 0) target.reserve_points(static_cast<std::size_t>(target.point_count()) + n);
    }
    for (std::size_t i = 0; i < series.waits.size(); ++i) {
        progress.step();
        const int r = static_cast<int>(i) + 1;
        const double x = StrToFloat(waits.Cell(trace_detail_col::Time, r));
        const double y = StrToFloat(waits.Cell(trace_detail_col::Value, r));
        graph.series(series.waits[i]).add_point(x, y);
    }
    for (std::size_t i = 0; i < series.fetches.size(); ++i) {
        progress.step();
        const int r = static_cast<int>(i) + 1;
        const double x = StrToFloat(fetches.Cell(trace_detail2_col::Time, r));
        const double y = StrToFloat(fetches.Cell(trace_detail2_col::Value, r));
        graph.series(series.fetches[i]).add_point(x, y);
    }
}

// A time pie and a count pie from the rows of one touch table.
void fill_pies(const StringTable& touch, Chart& times_chart, Chart& counts_chart,
               PublishProgress& progress) {
    Series& times = times_chart.series(times_chart.series_count() - 1);
    Series& counts = counts_chart.series(counts_chart.series_count() - 1);
    times.clear();
    counts.clear();
    for (int r = 1, end = data_rows_end(touch); r < end; ++r) {
        progress.step();
        const std::string_view event = touch.Cell(touch_grid_col::Event, r);
        times.add_value(StrToFloat(touch.Cell(touch_grid_col::Time, r)), event);
        counts.add_value(StrToFloat(touch.Cell(touch_grid_col::Count, r)), event);
    }
}

// The cursor reference of every touch_grid1 key, each once, after the items
// already there. A set of the items stands in for comparing each key with
// every item: the same list, without a walk per row.
void fill_cursor_list(TracePage& page) {
    Selector& combo = page.cursor_combo;
    TextMap<char> listed;
    for (const std::string& item : combo.items()) listed.emplace(item, 0);
    const StringTable& touch = page.touch_grid1;
    for (int r = 1, end = data_rows_end(touch); r < end; ++r) {
        const std::string_view key = touch.Cell(touch_grid_col::Event, r);
        const std::string_view ref = Copy(key, 1, Pos(":", key));
        if (listed.find(ref) != listed.end()) continue;
        listed.emplace(std::string(ref), 0);
        combo.add(ref);
    }
    if (combo.count() > 0) combo.select(0);
}

// One bar per timed plan row, labels padded to one more than the widest
// operation so the bars line up.
void fill_plan_chart(TracePage& page) {
    const StringTable& plan = page.execplan_grid;
    const int end = data_rows_end(plan);
    int width = 0;
    for (int r = 1; r < end; ++r)
        width = std::max(width, Length(plan.Cell(execplan_grid_col::Operation, r)));
    Series& bars = page.execplan_graph.series(0);
    bars.clear();
    std::string label;
    for (int r = 1; r < end; ++r) {
        const std::string_view time = plan.Cell(execplan_grid_col::Time, r);
        if (time.empty()) continue;
        label.assign(plan.Cell(execplan_grid_col::Operation, r));
        label.resize(static_cast<std::size_t>(width) + 1, ' ');
        bars.add_value(StrToFloat(time), label);
    }
}

void copy_plan_table(TracePage& page) {
    const StringTable& plan = page.execplan_grid;
    page.exec_anal.SetRowCount(plan.RowCount());
    for (int r = 0; r < plan.RowCount(); ++r) CopyRow(plan, r, page.exec_anal, r);
}

} // namespace

void publish_trace(TracePage& page) {
    page.trace_detail.TrimTable();
    page.trace_detail2.TrimTable();
    page.touch_grid1.TrimTable();
    page.touch_grid2.TrimTable();
    page.execplan_grid.TrimTable();
    const auto rows = [](const StringTable& t) {
        return static_cast<std::uint64_t>(data_rows_end(t) - 1);
    };
    PublishProgress progress;
    progress.total = 2 * (rows(page.trace_detail) + rows(page.trace_detail2)) +
                     rows(page.touch_grid1) + rows(page.touch_grid2);
    const RowSeries series = create_timeline_series(page, progress);
    add_timeline_points(page, series, progress);
    fill_pies(page.touch_grid1, page.touch_graph1, page.touch_graph2, progress);
    fill_pies(page.touch_grid2, page.touch_graph3, page.touch_graph4, progress);
    fill_cursor_list(page);
    fill_plan_chart(page);
    copy_plan_table(page);
    page.execplan_graph.repaint();
    page.Page_SQL_Hist.active_tab = page.Page_SQL_Hist.tab_index("TabSheet3");
}

} // namespace kavro
