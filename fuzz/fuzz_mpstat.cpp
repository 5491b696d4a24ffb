// The mpstat analysis and its chart controls on arbitrary lines.
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kavro::fuzz::kMaxInput) return 0;
    kavro::TForm1 form;
    kavro::fuzz::append_lines(form.mpstat.mpstat_grid, data, size);
    form.user_click("Button9");
    if (form.mpstat.cpu_num.count() > 0) form.user_pick("cpu_num", form.mpstat.cpu_num.count() - 1);
    form.user_click("cpu_labels");
    form.user_click("cpu_servis");
    form.user_click("Button9");
    form.user_click("Button10");
    return 0;
}
