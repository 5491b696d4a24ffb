// The trace scan with publishing, then a cursor change, on arbitrary lines
// with the usual rules: errors are fine, crashes and sanitizer reports not.
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kavro::fuzz::kMaxInput) return 0;
    kavro::TForm1 form;
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
    kavro::fuzz::append_lines(form.trace.trace_grid, data, size);
    form.run([&] { form.Button2Click(); });
    form.user_set("cursor_combo", "#1");
    form.user_pick("cursor_combo", 0);
    form.user_click("hideallbut");
    form.user_click("dispallbut");
    form.run([&] { form.Button2Click(); });
    form.user_click("Button104");
    return 0;
}
