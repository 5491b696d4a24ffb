// The trace page on arbitrary files: load, analysis with publishing, the
// cursor and view controls, a second analysis and Clear All, with the usual
// rules. Errors are fine; crashes, sanitizer reports and a second analysis
// that differs from the first are not.
#include "fuzz/fuzz_support.h"

namespace {

using kavro::TForm1;

void setup(TForm1& form) {
    auto& r = form.rules;
    for (const char* rule : {"ela=", "obj#="}) r.tracerules_grid1.AppendRow({rule});
    r.tracerules_grid2.AppendRow({"ela="});
    r.tracerules_grid3.AppendRow({"obj#="});
    for (const char* rule : {"c=", "e=", "cr=", "r="}) {
        r.tracerules_grid4.AppendRow({rule});
        r.tracerules_grid5.AppendRow({rule});
    }
    for (auto* t : {&r.tracerules_grid1, &r.tracerules_grid2, &r.tracerules_grid3,
                    &r.tracerules_grid4, &r.tracerules_grid5})
        t->TrimTable();
    form.hISTORY1Click();
    // At start all three views are shown, the timeline in front; the view
    // buttons show one at a time. Each input leaves the timeline chosen.
    form.user_click("rb_viewtc");
    form.user_click("rb_viewtl");
}

void steps(TForm1& form, const std::uint8_t* data, std::size_t size) {
    kavro::fuzz::write_memory_file(data, size);
    form.user_click("Button102");
    form.user_click("Button2");
    // Writers kept from input to input, so that their texts keep their
    // storage.
    static kavro::fuzz::StateWriter first_state, second_state;
    const std::string_view first = first_state.of(form);
    form.user_set("cursor_combo", "#1");
    form.user_pick("cursor_combo", 0);
    if (const int n = form.trace.cursor_combo.count(); n > 1) form.user_pick("cursor_combo", n - 1);
    form.user_click("rb_viewtc");
    form.user_click("rb_view_stat");
    form.user_click("hideallbut");
    form.user_click("dispallbut");
    form.user_click("rb_viewtl");
    // A run empties what the last one made: the same lines give the same
    // window, whatever the view controls did in between.
    form.user_click("Button2");
    kavro::fuzz::same_state(first, second_state.of(form),
                            "A second analysis of the same lines gave another window");
}

void reset(TForm1& form) {
    form.user_click("Button104");
    form.user_tab("Page_SQL_Hist", 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kavro::fuzz::kMaxInput) return 0;
    static kavro::fuzz::ReusedForm form({setup, "SQLIdList", steps, reset, ""});
    form.run(data, size);
    return 0;
}
