#pragma once

// What the pieces of the chart view share: the limits that pick how a chart
// is drawn, and the small conversions between the chart model and Qt Charts.
// Used only by chart_view*.cpp and the chart items.

#include "app/ui/table_model.h"
#include "chart/chart.h"

#include <QChart>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

namespace kavro::ui {

// A line chart of more series than its legend holds (kLegendInChart) is
// drawn by LinesItem rather than one Qt Charts series per model series,
// whose set-up costs about half a millisecond each.
// Past this many entries the chart's own legend would squeeze the plot; a
// scrolling list beside it takes over.
constexpr int kLegendInChart = 24;
// A pie slice's label before fit_pie_labels cut it.
constexpr const char* kFullLabel = "kavro_full_label";

// A time of day (fraction of a day) as milliseconds on a fixed local day, the
// scale a date-time axis reads.
qint64 day_fraction_ms(double fraction);

// Category axes reject repeated texts; a repeated label gets zero-width
// spaces appended, which a reader does not see. Axis labels are drawn as
// rich text, which folds runs of blanks into one; no-break spaces keep the
// indentation and padding of plan operations.
QStringList unique_labels(const QStringList& labels);

// A label as the reader wrote it, without what unique_labels added.
QString plain(QString label);

// The points of a line series that a plot `columns` pixels wide shows for x
// from `xlo` to `xhi` (visible_points), as Qt Charts takes them.
QList<QPointF> line_points(const Series& s, double xlo, double xhi, double columns);

// The hover text of point `k` of a series.
QString point_tip(const Series& s, int k);

// Fits the value axes of a line chart to the series that are drawn, so that
// hiding most lines shows the rest at full height.
void fit_line_axes(QChart* c, const Chart& model, bool value_bottom);

} // namespace kavro::ui
