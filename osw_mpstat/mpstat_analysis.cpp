#include "osw_mpstat/mpstat_analysis.h"

#include "core/batches.h"
#include "core/progress.h"
#include "osw_mpstat/mpstat_publish.h"
#include "osw_mpstat/mpstat_read.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace kavro {

namespace {

constexpr std::array<Colour, 20> kCpuColours = {
    rgb(0xFF0000),    // clRed
    rgb(0x00FF00),    // clLime
    rgb(0xFFFF00),    // clYellow
    rgb(0x0000FF),    // clBlue
    rgb(0xFF00FF),    // clFuchsia
    rgb(0x00FFFF),    // clAqua
    rgb(0xC0DCC0),    // clMoneyGreen
    rgb(0xA6CAF0),    // clSkyBlue
    rgb(0xFFFBF0),    // clCream
    kClBackground,    // clBackground
    rgb(0x000000),    // clBlack
    rgb(0x800000),    // clMaroon
    rgb(0x008000),    // clGreen
    rgb(0x808000),    // clOlive
    rgb(0x000080),    // clNavy
    rgb(0x800080),    // clPurple
    rgb(0x008080),    // clTeal
    rgb(0x808080),    // clGray
    rgb(0xC0C0C0),    // clSilver
    kClActiveCaption, // clActiveCaption
};

} // namespace

Colour cpu_series_colour(int n) {
    if (n < 1 || n > static_cast<int>(kCpuColours.size())) return kAutoColour;
    return kCpuColours[static_cast<std::size_t>(n - 1)];
}

void analyse_mpstat(MpstatPage& page) {
    // A new analysis starts from a clean chart, so analysing twice draws
    // what analysing once does.
    page.cpu_util_chart.remove_all_series();
    page.cpu_num.clear();
    MpstatReader reader(page.mpstat_grid);
    MpstatPublisher publisher(page);
    const auto total = static_cast<std::uint64_t>(page.mpstat_grid.RowCount());
    int done = 1;
    read_then_publish<MpstatBatch>([&](MpstatBatch& batch) { return reader.read(batch); },
                                   [&](const MpstatBatch& batch) {
                                       publisher.publish(batch);
                                       progress_steps(static_cast<std::uint32_t>(batch.end - done),
                                                      static_cast<std::uint64_t>(batch.end), total,
                                                      "Anlayze OSW File");
                                       done = batch.end;
                                   },
                                   false);
    page.mpstat_page.active_tab = page.mpstat_page.tab_index("TabSheet11");
}

} // namespace kavro
