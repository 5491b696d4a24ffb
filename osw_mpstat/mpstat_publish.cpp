#include "osw_mpstat/mpstat_publish.h"

#include "core/convert.h"
#include "osw_mpstat/mpstat_analysis.h"

#include <string>

namespace kavro {

void MpstatPublisher::publish(const MpstatBatch& batch) {
    Chart& chart = page_.cpu_util_chart;
    for (const MpstatRecord& rec : batch.records) {
        switch (rec.kind) {
        case MpstatRecord::Kind::CpuCount:
            add_series_up_to(rec.cpu);
            // Selected from here: the selector's change action does not run.
            if (page_.cpu_num.count() > 0) page_.cpu_num.select(0);
            break;
        case MpstatRecord::Kind::AixPoint:
            chart.series(rec.cpu).add_value(rec.value, rec.label);
            break;
        case MpstatRecord::Kind::ColumnPoint:
            if (rec.cpu >= chart.series_count()) {
                add_series_up_to(rec.cpu + 1);
                page_.cpu_num.select(0);
            }
            chart.series(rec.cpu).add_value(rec.value, rec.label);
            break;
        }
    }
}

void MpstatPublisher::add_series_up_to(int n) {
    Chart& chart = page_.cpu_util_chart;
    while (chart.series_count() < n) {
        Series& s = chart.add_series(SeriesKind::Line);
        const int i = chart.series_count() - 1;
        const std::string number = IntToStr(i);
        s.set_title("CPU# " + number);
        page_.cpu_num.add(number);
        if (const Colour c = cpu_series_colour(i + 1); c != kAutoColour) s.set_colour(c);
    }
}

} // namespace kavro
