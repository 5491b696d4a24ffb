#pragma once

// Where a chart's values land on the screen, worked out without a painter:
// the linear map from axis ranges to the pixels of a plot and back, and the
// reductions that hand a drawing no more than its pixel columns can show.
// The window's chart items call these; they hold no state of their own.

#include "chart/chart.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace kavro {

// The plot of a chart as a linear map: x from `x0` grows to the right by
// `sx` pixels a unit from the plot's `left` edge, y from `y0` grows upwards
// by `sy` pixels a unit from its `bottom` edge. An axis of no extent maps
// every value to the edge (a scale of 0).
struct PlotMap {
    double x0 = 0, sx = 0;
    double y0 = 0, sy = 0;
    double left = 0, bottom = 0;

    // The map of a plot `width` by `height` pixels at (left, top) showing x
    // from xmin to xmax and y from ymin to ymax.
    static PlotMap fit(double xmin, double xmax, double ymin, double ymax, double left, double top,
                       double width, double height) {
        const double xr = xmax - xmin, yr = ymax - ymin;
        return {xmin, xr > 0 ? width / xr : 0, ymin, yr > 0 ? height / yr : 0, left, top + height};
    }
    double px(double x) const { return left + (x - x0) * sx; }
    double py(double y) const { return bottom - (y - y0) * sy; }
    // The x a pixel column stands for (x0 on an axis of no extent).
    double x_at(double pixel) const { return sx > 0 ? x0 + (pixel - left) / sx : x0; }
    // The extent in x of `pixels` pixels.
    double x_extent(double pixels) const { return sx > 0 ? pixels / sx : 0; }
};

// The x range of a series' points (points of a series kept in x order give
// it at once); {0, 0} for a series without points.
inline std::pair<double, double> x_span(const Series& s) {
    const auto& pts = s.points();
    if (pts.empty()) return {0, 0};
    if (s.order() == PointOrder::ByX) return {pts.front().x, pts.back().x};
    double lo = pts.front().x, hi = lo;
    for (const Point& p : pts) lo = std::min(lo, p.x), hi = std::max(hi, p.x);
    return {lo, hi};
}

// The points of a line series that a plot `columns` pixels wide can show,
// for x from `xlo` to `xhi`, handed to `take` in their order: every point
// when there are few, otherwise the lowest and the highest point of each
// pixel column in the order they come, so every peak stays and about two
// points a column reach the drawing. One point on either side of the range
// is kept, so the line runs to the edges. Points of a series kept in x order
// are found by binary search; a series in the order of addition is handed
// over whole.
template <class Take>
void visible_points(const Series& s, double xlo, double xhi, double columns, Take&& take) {
    const auto& pts = s.points();
    std::size_t first = 0, last = pts.size();
    const bool by_x = s.order() == PointOrder::ByX;
    if (by_x && !pts.empty()) {
        first = static_cast<std::size_t>(
            std::lower_bound(pts.begin(), pts.end(), xlo,
                             [](const Point& p, double x) { return p.x < x; }) -
            pts.begin());
        last = static_cast<std::size_t>(
            std::upper_bound(pts.begin(), pts.end(), xhi,
                             [](double x, const Point& p) { return x < p.x; }) -
            pts.begin());
        if (first > 0) --first;
        if (last < pts.size()) ++last;
    }
    if (!by_x || static_cast<double>(last - first) <= 2 * columns || !(xhi > xlo)) {
        for (std::size_t i = first; i < last; ++i) take(pts[i]);
        return;
    }
    const double per_column = columns / (xhi - xlo);
    std::size_t i = first;
    while (i < last) {
        const double column = std::floor((pts[i].x - xlo) * per_column);
        std::size_t j = i, min_at = i, max_at = i;
        while (j < last && std::floor((pts[j].x - xlo) * per_column) == column) {
            if (pts[j].y < pts[min_at].y) min_at = j;
            if (pts[j].y > pts[max_at].y) max_at = j;
            ++j;
        }
        take(pts[std::min(min_at, max_at)]);
        if (min_at != max_at) take(pts[std::max(min_at, max_at)]);
        i = j;
    }
}

// How many bar slots share one bar when `count` slots meet a plot of
// `columns` pixel columns: 1 while each slot has a column, otherwise as few
// as bring the bars within the columns.
inline std::ptrdiff_t slots_per_bar(std::ptrdiff_t count, std::ptrdiff_t columns) {
    return count > columns && columns > 0 ? (count + columns - 1) / columns : 1;
}

// The value of largest size among values[from, to): the bar that stands for
// them, so a negative peak stays as well as a positive one (the first of two
// of the same size; 0 for none).
template <class Values>
double largest_magnitude(const Values& values, std::ptrdiff_t from, std::ptrdiff_t to) {
    double v = 0;
    for (std::ptrdiff_t j = from; j < to; ++j)
        if (std::abs(values[static_cast<std::size_t>(j)]) > std::abs(v))
            v = values[static_cast<std::size_t>(j)];
    return v;
}

// Every how many of `count` labels spread over `width` pixels one is
// written, each needing `need` pixels along the axis, so that no two
// overlap: at least 1.
inline std::ptrdiff_t label_step(double width, std::ptrdiff_t count, double need) {
    const double per_label = width / static_cast<double>(count);
    return static_cast<std::ptrdiff_t>(std::max(1.0, std::ceil(need / std::max(per_label, 1e-9))));
}

} // namespace kavro
