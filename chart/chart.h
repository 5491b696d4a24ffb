#pragma once

// The chart model every page draws on: a list of series with titles, active
// flags, colours, marks and points, plus a title and 3D view options. The Qt
// view paints it; callers only read back what the operations promise.

#include "core/hash.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

// 0xAARRGGBB; an alpha of 0 means the automatic colour.
using Colour = std::uint32_t;
constexpr Colour kAutoColour = 0;
constexpr Colour rgb(std::uint32_t rgb24) {
    return 0xFF000000u | rgb24;
}
std::string colour_name(Colour c); // "#RRGGBB" or "auto"

enum class SeriesKind { Line, Bar, HorizBar, Pie, Gantt };
enum class MarksStyle { Default, Value };
// Series made while the program runs keep their points in ascending x; the
// plan chart's bars and the pies keep the order of addition.
enum class PointOrder { ByX, Addition };

const char* kind_name(SeriesKind k);

// A point's label and colour are kept beside the points, and only by a
// series that has a label or a colour of its own: a timeline of millions of
// points without labels keeps 16 bytes a point.
struct Point {
    double x = 0;
    double y = 0;
};

struct GanttBar {
    double start = 0; // times of day as fractions of a day
    double end = 0;
    double position = 0;
    std::string label;
    Colour colour = kAutoColour;
};

struct View3D {
    int rotation = 360;
    int elevation = 345;
    int perspective = 15;
    int zoom = 100;
    int horiz_offset = 0;
    int vert_offset = 0;
    bool orthogonal = true;
};

class Chart;

class Series {
public:
    SeriesKind kind() const { return kind_; }
    const std::string& title() const { return title_; }
    void set_title(std::string_view title);
    bool active() const { return active_; }
    void set_active(bool active);
    Colour colour() const { return colour_; }
    void set_colour(Colour c);
    bool right_axis() const { return right_axis_; }
    void set_right_axis(bool right = true);
    bool marks_visible() const { return marks_visible_; }
    void set_marks_visible(bool visible);
    MarksStyle marks_style() const { return marks_style_; }
    void set_marks_style_value();
    PointOrder order() const { return order_; }

    void clear();
    // A point whose x is its ordinal (0 for the first point).
    void add_value(double y, std::string_view label = {}, Colour colour = kAutoColour);
    void add_point(double x, double y, std::string_view label = {}, Colour colour = kAutoColour);
    void add_gantt_bar(double start, double end, double position, std::string_view label,
                       Colour colour = kAutoColour);

    int point_count() const { return static_cast<int>(points_.size()); }
    double value(int index) const { return points_.at(static_cast<std::size_t>(index)).y; }
    double x(int index) const { return points_.at(static_cast<std::size_t>(index)).x; }
    std::string_view label(int index) const;
    Colour point_colour(int index) const;
    // Room for n points in all, so a series filled with a known number of
    // points grows once.
    void reserve_points(std::size_t n);
    const std::vector<Point>& points() const { return points_; }
    const std::vector<GanttBar>& bars() const { return bars_; }
    // Index of this series in its chart.
    int index() const { return index_; }
    // Bumped when the points, bars or title change (not the flags), so a
    // view can tell a change of visibility from one that needs a redraw.
    std::uint64_t data_revision() const { return data_revision_; }

private:
    friend class Chart;
    Series(Chart& chart, SeriesKind kind, PointOrder order, int index);
    void touch();
    void touch_data();

    Chart* chart_;
    SeriesKind kind_;
    PointOrder order_;
    int index_;
    std::uint32_t title_id_ = 0; // the chart's title entry of this series
    std::uint64_t data_revision_ = 0;
    std::string title_;
    bool active_ = true;
    Colour colour_ = kAutoColour;
    bool right_axis_ = false;
    bool marks_visible_ = false;
    MarksStyle marks_style_ = MarksStyle::Default;
    std::vector<Point> points_;
    // Per point, parallel to points_; empty while every label is "", or
    // every colour the automatic one.
    std::vector<std::uint32_t> point_labels_;
    std::vector<Colour> point_colours_;
    std::vector<GanttBar> bars_;
};

class Chart {
public:
    Chart();
    Chart(const Chart&) = delete;
    Chart& operator=(const Chart&) = delete;

    int series_count() const { return static_cast<int>(series_.size()); }
    // Throws "List index out of bounds (%d)" for an index outside the list.
    Series& series(int index);
    const Series& series(int index) const;
    Series& add_series(SeriesKind kind, PointOrder order = PointOrder::ByX);
    void remove_all_series();

    // Indices of the series titled exactly `title`, in index order; found
    // through a hash index, not by walking every series.
    const std::vector<int>& series_with_title(std::string_view title) const;
    Series* find_series(std::string_view title);

    const std::vector<std::string>& title() const { return title_; }
    void set_title(std::string_view text);

    bool view3d() const { return view3d_; }
    void set_view3d(bool on);
    const View3D& options() const { return options_; }
    void set_rotation(int degrees);
    void set_zoom(int percent);
    void set_horiz_offset(int pixels);
    void set_vert_offset(int pixels);
    void set_orthogonal(bool on);
    void set_elevation(int degrees);
    void set_perspective(int percent);

    void repaint() { ++revision_; }
    std::uint64_t revision() const { return revision_; }

    // Label 0 is "", label n the pool's text n - 1.
    std::string_view label_text(std::uint32_t id) const {
        return id == 0 ? std::string_view() : labels_.text(id - 1);
    }
    std::uint32_t intern_label(std::string_view text);

    // The automatic colour sequence of new series and of pie slices.
    static Colour palette(std::size_t index);
    static std::size_t palette_size();

private:
    friend class Series;
    // Gives the series `title` and lists it under it instead of its present
    // title.
    void retitle(Series& s, std::string_view title);
    // The entry of `title` in the title index, made when it is new.
    std::uint32_t title_entry(std::string_view title);
    Colour next_colour();
    void forget_unused_labels();

    std::vector<std::unique_ptr<Series>> series_;
    // Every title a series bore, each once, with the indices of the series
    // that bear it now (by_title_ is parallel to titles_).
    TextPool titles_;
    std::vector<std::vector<int>> by_title_;
    std::vector<std::string> title_;
    bool view3d_ = false;
    View3D options_;
    std::uint64_t revision_ = 0;
    std::vector<std::size_t> colour_use_;
    // Labels repeat (time labels of snapshots), so each text is kept once.
    TextPool labels_;
    std::uint32_t last_label_ = TextPool::npos; // the pool's last text found or added
};

} // namespace kavro
