#include "chart/pie_slices.h"

#include <algorithm>
#include <numeric>

namespace kavro {

namespace {
double drawn_value(double v) {
    return v > 0 ? v : 0; // also a NaN, which no slice can show
}
} // namespace

PieSlices pie_slices(const Series& pie, int max_slices) {
    PieSlices out;
    const int n = pie.point_count();
    const auto value = [&](int p) { return drawn_value(pie.value(p)); };
    if (n <= std::max(max_slices, 1)) {
        out.slices.reserve(static_cast<std::size_t>(n));
        for (int p = 0; p < n; ++p) {
            out.slices.push_back({p, value(p)});
            out.total += value(p);
        }
        return out;
    }
    // The largest first; equal values in the model's order. Only the kept
    // ones are put in order, so this is linear in the points.
    const int kept = std::max(max_slices - 1, 0);
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    const auto larger = [&](int a, int b) {
        const double va = value(a), vb = value(b);
        return va != vb ? va > vb : a < b;
    };
    std::nth_element(order.begin(), order.begin() + kept, order.end(), larger);
    std::sort(order.begin(), order.begin() + kept, larger);
    out.slices.reserve(static_cast<std::size_t>(kept) + 1);
    for (int k = 0; k < kept; ++k) {
        const int p = order[static_cast<std::size_t>(k)];
        out.slices.push_back({p, value(p)});
        out.total += value(p);
    }
    // Summed in the model's order, so the same pie always gives the same sum.
    std::vector<char> is_kept(static_cast<std::size_t>(n), 0);
    for (const PieSlice& s : out.slices) is_kept[static_cast<std::size_t>(s.point)] = 1;
    double rest = 0;
    for (int p = 0; p < n; ++p)
        if (!is_kept[static_cast<std::size_t>(p)]) rest += value(p);
    out.others = n - kept;
    out.slices.push_back({-1, rest});
    out.total += rest;
    return out;
}

std::string others_label(int n) {
    return "Others (" + std::to_string(n) + ")";
}

} // namespace kavro
