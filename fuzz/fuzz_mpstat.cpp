// The mpstat page on arbitrary files: load, analysis, the chart controls,
// a second analysis and Clear All.
#include "fuzz/fuzz_support.h"

namespace {

using kavro::TForm1;

void setup(TForm1& form) {
    form.OSWmpstat1Click();
}

void steps(TForm1& form, const std::uint8_t* data, std::size_t size) {
    kavro::fuzz::write_memory_file(data, size);
    form.user_click("Button8");
    form.user_click("Button9");
    if (form.mpstat.cpu_num.count() > 0) form.user_pick("cpu_num", form.mpstat.cpu_num.count() - 1);
    form.user_click("cpu_labels");
    form.user_click("cpu_servis");
    form.user_track("chartrot", 300);
    form.user_track("chartzoom", 150);
    form.user_click("asplock");
    form.user_click("Button9");
}

void reset(TForm1& form) {
    form.user_click("Button10");
    // Clear All leaves these two check boxes as they are.
    form.user_click("cpu_labels");
    form.user_click("cpu_servis");
    form.user_tab("mpstat_page", 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kavro::fuzz::kMaxInput) return 0;
    static kavro::fuzz::ReusedForm form({setup, "mpstat_filename", steps, reset, ""});
    form.run(data, size);
    return 0;
}
