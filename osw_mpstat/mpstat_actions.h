#pragma once

// The mpstat page's load, Clear All and chart controls.

#include "osw_mpstat/mpstat_page.h"

namespace kavro {

// Button10Click: empties the raw table, the chart and cpu_num, and puts the
// 3D view and its track bars back to the locked front view.
void clear_mpstat(MpstatPage& page);

// asplockClick: ticked locks the view to the front (and moves the track bars
// back); unticked only lets the view rotate.
void apply_aspect_lock(MpstatPage& page);

// The track bars' change actions: each writes its position into the view.
void apply_rotation(MpstatPage& page);
void apply_zoom(MpstatPage& page);
void apply_horiz_offset(MpstatPage& page);
void apply_vert_offset(MpstatPage& page);

// cpu_numChange: value marks on the chosen series, and the two check boxes
// show its marks and active state.
void show_selected_cpu(MpstatPage& page);
// cpu_labelsClick and cpu_servisClick on the chosen series.
void apply_cpu_labels(MpstatPage& page);
void apply_cpu_visible(MpstatPage& page);

} // namespace kavro
