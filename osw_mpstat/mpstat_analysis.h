#pragma once

// The mpstat analysis: one line series per logical CPU in cpu_util_chart,
// one point per snapshot and CPU (user plus system time), labelled with the
// snapshot's time of day, and one cpu_num entry per series. MpstatReader
// (mpstat_read.h) reads the snapshots into records, MpstatPublisher
// (mpstat_publish.h) draws them.

#include "chart/chart.h"
#include "osw_mpstat/mpstat_page.h"

namespace kavro {

// More logical CPUs than this in one archive is taken for a misread count
// rather than a machine: a count or CPU number past it fails as a number.
constexpr int kMaxLogicalCpus = 4096;

// Desktop colours of the colour table, fixed here since there is no desktop
// scheme to ask: the classic desktop blue and the light caption blue.
constexpr Colour kClBackground = rgb(0x3A6EA5);
constexpr Colour kClActiveCaption = rgb(0x99B4D1);

// Colour of the n-th CPU series created (n from 1); kAutoColour past the
// twentieth, where a series keeps the colour the chart gave it.
Colour cpu_series_colour(int n);

// Button9Click: reads mpstat_grid into cpu_util_chart and cpu_num, starting
// from an empty chart and selector, and shows the Analyze tab when done. The
// first number that does not convert, or a point for a CPU with no series,
// ends it there; what was drawn before stays.
void analyse_mpstat(MpstatPage& page);

} // namespace kavro
