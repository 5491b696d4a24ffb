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
    case SeriesKind::Line:
        return "line";
    case SeriesKind::Bar:
        return "bar";
    case SeriesKind::HorizBar:
        return "horizontal_bar";
    case SeriesKind::Pie:
        return "pie";
    case SeriesKind::Gantt:
        return "gantt";
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

Colour Chart::palette(std::size_t index) {
    return kPalette[index % std::size(kPalette)];
}
std::size_t Chart::palette_size() {
    return std::size(kPalette);
}

Series::Series(Chart& chart, SeriesKind kind, PointOrder order, int index)
    : chart_(&chart), kind_(kind), order_(order), index_(index) {
    marks_visible_ = kind == SeriesKind::Bar || kind == SeriesKind::HorizBar;
}

void Series::touch() {
    ++chart_->revision_;
}
void Series::touch_data() {
    ++data_revision_;
    ++chart_->revision_;
}

void Series::set_title(std::string_view title) {
    if (title == title_) return;
    // Out of memory, the series keeps its old title and stays listed under
    // it: retitle allocates before it changes anything.
    chart_->retitle(*this, title);
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
    point_labels_.clear();
    point_colours_.clear();
    bars_.clear();
    chart_->forget_unused_labels();
    touch_data();
}

void Series::add_value(double y, std::string_view label, Colour colour) {
    add_point(static_cast<double>(points_.size()), y, label, colour);
}

void Series::reserve_points(std::size_t n) {
    points_.reserve(n);
    if (!point_labels_.empty()) point_labels_.reserve(n);
    if (!point_colours_.empty()) point_colours_.reserve(n);
}

void Series::add_point(double x, double y, std::string_view label, Colour colour) {
    // Every allocation first, so that running out of memory adds nothing and
    // the per-point lists stay as long as the points.
    const std::uint32_t id = chart_->intern_label(label);
    const bool labelled = id != 0 || !point_labels_.empty();
    const bool coloured = colour != kAutoColour || !point_colours_.empty();
    room_for_one(points_);
    if (labelled) {
        if (point_labels_.empty()) point_labels_.reserve(points_.capacity());
        point_labels_.resize(points_.size(), 0);
        room_for_one(point_labels_);
    }
    if (coloured) {
        if (point_colours_.empty()) point_colours_.reserve(points_.capacity());
        point_colours_.resize(points_.size(), kAutoColour);
        room_for_one(point_colours_);
    }
    const Point p{x, y};
    if (order_ == PointOrder::Addition || points_.empty() || !(x < points_.back().x)) {
        points_.push_back(p);
        if (labelled) point_labels_.push_back(id);
        if (coloured) point_colours_.push_back(colour);
    } else {
        // After the last point whose x is not above the new one, so points
        // of equal x keep the order they came in.
        const auto at = std::upper_bound(points_.begin(), points_.end(), x,
                                         [](double v, const Point& q) { return v < q.x; });
        const auto k = at - points_.begin();
        points_.insert(at, p);
        if (labelled) point_labels_.insert(point_labels_.begin() + k, id);
        if (coloured) point_colours_.insert(point_colours_.begin() + k, colour);
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
    (void)points_.at(static_cast<std::size_t>(index)); // the bounds check
    if (point_labels_.empty()) return {};
    return chart_->label_text(point_labels_[static_cast<std::size_t>(index)]);
}

Colour Series::point_colour(int index) const {
    (void)points_.at(static_cast<std::size_t>(index));
    if (point_colours_.empty()) return kAutoColour;
    return point_colours_[static_cast<std::size_t>(index)];
}

Chart::Chart() : colour_use_(palette_size(), 0) {}

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

std::uint32_t Chart::title_entry(std::string_view title) {
    const std::uint64_t hash = hash_text(title);
    const std::uint32_t found = titles_.find(title, hash);
    if (found != TextPool::npos) return found;
    // The list first, the text then: when either runs out of memory the two
    // stay the same length.
    if (by_title_.size() == by_title_.capacity()) by_title_.reserve(by_title_.size() * 2 + 16);
    const std::uint32_t id = titles_.add(title, hash);
    by_title_.emplace_back();
    return id;
}

Series& Chart::add_series(SeriesKind kind, PointOrder order) {
    // Everything that can run out of memory comes before anything changes,
    // so that a failed add leaves no series its title does not find, and
    // takes no colour.
    auto s = std::unique_ptr<Series>(new Series(*this, kind, order, series_count()));
    if (series_.size() == series_.capacity()) series_.reserve(series_.size() * 2 + 4);
    const std::uint32_t untitled = title_entry({});
    std::vector<int>& same = by_title_[untitled];
    if (same.size() == same.capacity()) same.reserve(same.size() * 2 + 1);
    s->title_id_ = untitled;
    series_.push_back(std::move(s));
    same.push_back(series_count() - 1);
    series_.back()->colour_ = next_colour();
    ++revision_;
    return *series_.back();
}

void Chart::remove_all_series() {
    if (series_.empty()) return;
    series_.clear();
    titles_.clear();
    by_title_.clear();
    labels_.clear();
    last_label_ = TextPool::npos;
    std::fill(colour_use_.begin(), colour_use_.end(), 0);
    ++revision_;
}

void Chart::retitle(Series& s, std::string_view title) {
    std::string text(title);
    const std::uint32_t to = title_entry(title);
    std::vector<int>& now = by_title_[to];
    if (now.size() == now.capacity()) now.reserve(now.size() * 2 + 1);
    // Nothing below allocates.
    std::vector<int>& was = by_title_[s.title_id_];
    was.erase(std::remove(was.begin(), was.end(), s.index_), was.end());
    now.insert(std::upper_bound(now.begin(), now.end(), s.index_), s.index_);
    s.title_.swap(text);
    s.title_id_ = to;
}

const std::vector<int>& Chart::series_with_title(std::string_view title) const {
    static const std::vector<int> none;
    const std::uint32_t id = titles_.find(title);
    return id == TextPool::npos ? none : by_title_[id];
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

void Chart::forget_unused_labels() {
    // When no point shows a label any more the pool goes too, so a chart
    // that is only ever cleared and refilled (a pie, the plan bars, the ps
    // charts) keeps the labels of its last filling rather than of every
    // filling since start-up. The walk stops at the first labelled series;
    // the charts cleared this way hold one series.
    for (const auto& s : series_)
        if (!s->point_labels_.empty()) return;
    labels_.clear();
    last_label_ = TextPool::npos;
}

std::uint32_t Chart::intern_label(std::string_view text) {
    if (text.empty()) return 0;
    // Points of one snapshot share its label (every CPU of an mpstat
    // snapshot), and a refill adds its labels in the order they first came
    // (the pies of "All" after a cursor pick, a new analysis of the same
    // file): the last text found, then the one after it, are tried before
    // the index, a compare against texts read in sequence instead of a
    // probe per point.
    if (last_label_ < labels_.size() && labels_.text(last_label_) == text) return last_label_ + 1;
    const std::uint32_t next = last_label_ + 1;
    if (next < labels_.size() && labels_.text(next) == text) {
        last_label_ = next;
        return next + 1;
    }
    last_label_ = labels_.intern(text);
    return last_label_ + 1;
}

} // namespace kavro
