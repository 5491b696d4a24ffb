#pragma once

// The slices a pie is drawn with. A pie of tens of thousands of slices says
// nothing a reader can tell apart, so a pie of more than `max_slices` slices
// is drawn as its max_slices - 1 largest, largest first, and one last slice
// "Others (N)" that holds the sum of the other N. A pie that fits is drawn
// as the model has it, in its order. The model keeps every slice either way.

#include "chart/chart.h"

#include <string>
#include <vector>

namespace kavro {

// Enough for the small legends of the touch-count pies to list every drawn
// slice with its label, and for the thinnest slice to stay a visible wedge.
constexpr int kPieSlices = 15;

struct PieSlice {
    int point = -1;   // the series' point, -1 for the others
    double value = 0; // the point's value, 0 when below 0 (a pie cannot show it)
};

struct PieSlices {
    std::vector<PieSlice> slices; // in drawing order, the others last
    int others = 0;               // points summed into the last slice; 0 when there is none
    double total = 0;             // sum of every drawn value
};

PieSlices pie_slices(const Series& pie, int max_slices = kPieSlices);

// "Others (N)".
std::string others_label(int n);

} // namespace kavro
