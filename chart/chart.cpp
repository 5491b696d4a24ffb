#include "chart/chart.h"

#include "core/convert.h"
#include "core/error.h"

#include <algorithm>
#include <cstdio>

namespace kavro {

std::string colour_name(Colour c) {
    if ((c >> 24) == 0) return "auto";
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%06X", c & 0xFFFFFFu);
    return buf;
}

const char* kind_name(SeriesKind k) {
    switch (k) {
    case SeriesKind::Line: return "line";
    case SeriesKind::Bar: return "bar";
    case SeriesKind::HorizBar: return "horizontal_bar";
    case SeriesKind::Pie: return "pie";
    case SeriesKind::Gantt: return "gantt";
    }
    return "line";
}

namespace {
// A sequence of well-separated colours that read on a white plot.
constexpr Colour kPalette[] = {
    rgb(0xFF0000), rgb(0x00A000), rgb(0xE0C000), rgb(0x0000FF), rgb(0xFF00FF),
    rgb(0x00B0B0), rgb(0x800000), rgb(0x008080), rgb(0x808000), rgb(0x000080),
    rgb(0x800080), rgb(0xFF8000), rgb(0x808080), rgb(0x40C040), rgb(0x8080FF),
    rgb(0xC04080), rgb(0x404040), rgb(0x00C0FF), rgb(0xA06020), rgb(0x60A0A0),
};
} // namespace

Colour Chart::palette(std::size_t index) { return kPalette[index % std::size(kPalette)]; }
std::size_t Chart::palette_size() { return std::size(kPalette); }

Series::Series(Chart& chart, SeriesKind kind, PointOrder order, int index)
    : chart_(&chart), kind_(kind), order_(order), index_(index) {
    marks_visible_ = kind == SeriesKind::Bar || kind == SeriesKind::HorizBar;
}

void Series::touch() { ++chart_->revision_; }
void Series::touch_data() {
    ++data_revision_;
    ++chart_->revision_;
}

void Series::set_title(std::string_view title) {
    if (title == title_) return;
    // Everything that allocates comes first: out of memory, the series keeps
    // its old title and stays listed under it.
    std::string fresh(title);
    chart_->retitle(*this, fresh);
    title_.swap(fresh);
    touch_data();
}

void Series::set_active(bool active) {
    if (active_ == active) return;
    active_ = active;
    touch();
}

void Series::set_colour(Colour c) {
    colour_ = c;
    touch();
}

void Series::set_right_axis(bool right) {
    right_axis_ = right;
    touch();
}

void Series::set_marks_visible(bool visible) {
    marks_visible_ = visible;
    touch();
}

void Series::set_marks_style_value() {
    marks_style_ = MarksStyle::Value;
    touch();
}

void Series::clear() {
    points_.clear();
    bars_.clear();
    touch_data();
}

void Series::add_value(double y, std::string_view label, Colour colour) {
    add_point(static_cast<double>(points_.size()), y, label, colour);
}

void Series::add_point(double x, double y, std::string_view label, Colour colour) {
    Point p{x, y, chart_->intern_label(label), colour};
    if (order_ == PointOrder::Addition || points_.empty() || !(x < points_.back().x)) {
        points_.push_back(p);
    } else {
        // After the last point whose x is not above the new one, so points
        // of equal x keep the order they came in.
        auto at = std::upper_bound(points_.begin(), points_.end(), x,
                                   [](double v, const Point& q) { return v < q.x; });
        points_.insert(at, p);
    }
    touch_data();
}

void Series::add_gantt_bar(double start, double end, double position, std::string_view label,
                           Colour colour) {
    GanttBar b{start, end, position, std::string(label), colour};
    if (order_ == PointOrder::Addition || bars_.empty() || !(start < bars_.back().start)) {
        bars_.push_back(std::move(b));
    } else {
        auto at = std::upper_bound(bars_.begin(), bars_.end(), start,
                                   [](double v, const GanttBar& q) { return v < q.start; });
        bars_.insert(at, std::move(b));
    }
    touch_data();
}

std::string_view Series::label(int index) const {
    return chart_->label_text(points_.at(static_cast<std::size_t>(index)).label);
}

Chart::Chart() : colour_use_(palette_size(), 0) {
    labels_.emplace_back();
    label_ids_.emplace(std::string(), 0);
}

Series& Chart::series(int index) {
    if (index < 0 || index >= series_count())
        throw Error("List index out of bounds (" + IntToStr(index) + ")");
    return *series_[static_cast<std::size_t>(index)];
}

const Series& Chart::series(int index) const {
    if (index < 0 || index >= series_count())
        throw Error("List index out of bounds (" + IntToStr(index) + ")");
    return *series_[static_cast<std::size_t>(index)];
}

Colour Chart::next_colour() {
    // The least-used colour of the sequence, earliest first: series added one
    // after the other never share a colour while the sequence lasts.
    std::size_t best = 0;
    for (std::size_t i = 1; i < colour_use_.size(); ++i)
        if (colour_use_[i] < colour_use_[best]) best = i;
    ++colour_use_[best];
    return kPalette[best];
}

Series& Chart::add_series(SeriesKind kind, PointOrder order) {
    auto s = std::unique_ptr<Series>(new Series(*this, kind, order, series_count()));
    // Room in the title index first, so that running out of memory leaves
    // no series that its title does not find.
    std::vector<int>& untitled = by_title_[std::string()];
    untitled.reserve(untitled.size() + 1);
    series_.push_back(std::move(s));
    untitled.push_back(series_count() - 1);
    series_.back()->colour_ = next_colour();
    ++revision_;
    return *series_.back();
}

void Chart::remove_all_series() {
    if (series_.empty()) return;
    series_.clear();
    by_title_.clear();
    labels_.resize(1);
    label_ids_.clear();
    std::fill(colour_use_.begin(), colour_use_.end(), 0);
    ++revision_;
    // Last, as the one step that allocates: out of memory, the chart is
    // empty all the same and its colours start again.
    label_ids_.emplace(std::string(), 0);
}

void Chart::retitle(Series& s, const std::string& title) {
    // The new entry gets its room before the old one goes, so a failed
    // allocation leaves the series under its old title.
    auto& fresh = by_title_[title];
    fresh.reserve(fresh.size() + 1);
    auto it = by_title_.find(s.title_);
    if (it != by_title_.end()) {
        auto& v = it->second;
        v.erase(std::remove(v.begin(), v.end(), s.index_), v.end());
        if (v.empty()) by_title_.erase(it);
    }
    fresh.insert(std::upper_bound(fresh.begin(), fresh.end(), s.index_), s.index_);
}

const std::vector<int>& Chart::series_with_title(std::string_view title) const {
    static const std::vector<int> none;
    auto it = by_title_.find(title);
    return it == by_title_.end() ? none : it->second;
}

Series* Chart::find_series(std::string_view title) {
    const auto& v = series_with_title(title);
    return v.empty() ? nullptr : series_[static_cast<std::size_t>(v.front())].get();
}

void Chart::set_title(std::string_view text) {
    title_.clear();
    title_.emplace_back(text);
    ++revision_;
}

void Chart::set_view3d(bool on) {
    view3d_ = on;
    ++revision_;
}
void Chart::set_rotation(int degrees) {
    options_.rotation = degrees;
    ++revision_;
}
void Chart::set_zoom(int percent) {
    options_.zoom = percent;
    ++revision_;
}
void Chart::set_horiz_offset(int pixels) {
    options_.horiz_offset = pixels;
    ++revision_;
}
void Chart::set_vert_offset(int pixels) {
    options_.vert_offset = pixels;
    ++revision_;
}
void Chart::set_orthogonal(bool on) {
    options_.orthogonal = on;
    ++revision_;
}
void Chart::set_elevation(int degrees) {
    options_.elevation = degrees;
    ++revision_;
}
void Chart::set_perspective(int percent) {
    options_.perspective = percent;
    ++revision_;
}

std::uint32_t Chart::intern_label(std::string_view text) {
    if (text.empty()) return 0;
    auto it = label_ids_.find(text);
    if (it != label_ids_.end()) return it->second;
    const auto id = static_cast<std::uint32_t>(labels_.size());
    labels_.emplace_back(text);
    label_ids_.emplace(labels_.back(), id);
    return id;
}

} // namespace kavro
