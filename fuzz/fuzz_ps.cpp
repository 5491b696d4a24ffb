// The ps analysis, filter and sorts on arbitrary lines; the first bytes
// choose the cut positions.
#include "fuzz/fuzz_support.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6 || size > kavro::fuzz::kMaxInput) return 0;
    kavro::TForm1 form;
    auto& r = form.rules;
    r.psuser_posb.text = std::to_string(data[0] % 40);
    r.psuser_pose.text = std::to_string(data[1] % 12);
    r.psproc_posb.text = std::to_string(data[2] % 40);
    r.psproc_pose.text = std::to_string(data[3] % 12);
    r.pscpu_posb.text = std::to_string(data[4] % 60);
    r.pscpu_pose.text = std::to_string(data[5] % 8);
    r.tracerules_grid7.AppendRow({"USER"});
    r.tracerules_grid7.TrimTable();
    form.ps.cpu_thr_value.text = "0";
    kavro::fuzz::append_lines(form.ps.osw_grid, data + 6, size - 6);
    form.user_click("Button4");
    for (const char* sort : {"RadioButton2", "RadioButton3", "RadioButton4", "RadioButton1"})
        form.user_click(sort);
    form.user_set("pid_filter", "1");
    form.user_click("cpu_filter");
    form.user_click("Button4");
    form.user_click("Button5");
    return 0;
}
