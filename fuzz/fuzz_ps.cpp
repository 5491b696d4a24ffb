// The ps page on arbitrary files: load, analysis, sorts, the filter, a
// second analysis and Clear All. The first six bytes choose the rules' cut
// positions; the rest is the file.
#include "fuzz/fuzz_support.h"

#include <string>

namespace {

using kavro::TForm1;

void setup(TForm1& form) {
    // The lines the sample rules leave out, and the column header.
    for (const char* line : {"zzz", "OSWbb", "%CPU %MEM", "SNAP_INTERVAL", "CPU_CORES", "VCPUS",
                             "OSWBB_ARCHIVE_DEST", "USER"})
        form.rules.tracerules_grid7.AppendRow({line});
    form.rules.tracerules_grid7.TrimTable();
    form.OSWps1Click();
}

kavro::Edit* cut_edits(TForm1& form, int i) {
    auto& r = form.rules;
    kavro::Edit* edits[] = {&r.psuser_posb, &r.psuser_pose, &r.psproc_posb,
                            &r.psproc_pose, &r.pscpu_posb,  &r.pscpu_pose};
    return edits[i];
}
constexpr int kCutRanges[] = {40, 12, 40, 12, 60, 8};

// The cut positions of a fresh window, which every input puts back.
std::string kept_cuts[6];

void steps(TForm1& form, const std::uint8_t* data, std::size_t size) {
    if (size < 6) return;
    for (int i = 0; i < 6; ++i) {
        if (kept_cuts[i].empty()) kept_cuts[i] = cut_edits(form, i)->text;
        cut_edits(form, i)->text = std::to_string(data[i] % kCutRanges[i]);
    }
    form.ps.cpu_thr_value.text = "0";
    kavro::fuzz::write_memory_file(data + 6, size - 6);
    form.user_click("Button85");
    form.user_click("Button4");
    for (const char* sort : {"RadioButton2", "RadioButton3", "RadioButton4", "RadioButton1"})
        form.user_click(sort);
    form.user_set("pid_filter", "1");
    form.user_set("owner_filter", "ora");
    form.user_click("cpu_filter");
    form.user_click("Button4");
}

void reset(TForm1& form) {
    form.user_click("Button5");
    for (int i = 0; i < 6; ++i)
        if (!kept_cuts[i].empty()) cut_edits(form, i)->text = kept_cuts[i];
    form.user_tab("OSWPage", 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6 || size > kavro::fuzz::kMaxInput) return 0;
    static kavro::fuzz::ReusedForm form(
        {setup, "osw_filename", steps, reset, "\x10\0\x10\0\x20\0"});
    form.run(data, size);
    return 0;
}
