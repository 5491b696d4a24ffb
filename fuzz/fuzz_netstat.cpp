// The netstat page on arbitrary files: load, extraction, the metric view,
// Clear Analysis and a second analysis that must give the first one's
// window, then Clear All.
#include "fuzz/fuzz_support.h"

namespace {

using kavro::TForm1;

void setup(TForm1& form) {
    for (const char* rule : {"packets sent", "packets received", "segments retransmitted", "x"})
        form.rules.tracerules_grid6.AppendRow({rule});
    form.rules.tracerules_grid6.TrimTable();
    form.OSWnetstat1Click();
}

void steps(TForm1& form, const std::uint8_t* data, std::size_t size) {
    kavro::fuzz::write_memory_file(data, size);
    form.user_click("Button12");
    form.user_click("Button13");
    // Writers kept from input to input, so that their texts keep their
    // storage.
    static kavro::fuzz::StateWriter first_state, second_state;
    const std::string_view first = first_state.of(form);
    for (int i = 0; i < form.netstat.net_combo.count() && i < 4; ++i)
        form.user_pick("net_combo", i);
    form.user_set("net_combo", "tcp:");
    form.user_click("Button15");
    form.user_click("Button13");
    kavro::fuzz::same_state(first, second_state.of(form),
                            "Clear Analysis and a new analysis of the same lines gave another "
                            "window than the first analysis");
}

void reset(TForm1& form) {
    form.user_click("Button14");
    form.user_tab("page_osw_nets", 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kavro::fuzz::kMaxInput) return 0;
    static kavro::fuzz::ReusedForm form({setup, "netstat_filename", steps, reset, ""});
    form.run(data, size);
    return 0;
}
