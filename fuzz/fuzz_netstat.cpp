// The netstat extraction and metric view on arbitrary lines.
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kavro::fuzz::kMaxInput) return 0;
    kavro::TForm1 form;
    for (const char* rule : {"packets sent", "packets received", "segments retransmitted", "x"})
        form.rules.tracerules_grid6.AppendRow({rule});
    form.rules.tracerules_grid6.TrimTable();
    kavro::fuzz::append_lines(form.netstat.nets_trace_grid, data, size);
    form.user_click("Button13");
    for (int i = 0; i < form.netstat.net_combo.count() && i < 4; ++i)
        form.user_pick("net_combo", i);
    form.user_set("net_combo", "tcp:");
    form.user_click("Button15");
    form.user_click("Button13");
    form.user_click("Button14");
    return 0;
}
