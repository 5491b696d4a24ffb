#include "cli/osw.h"

namespace kavro {

bool run_osw_step(TForm1& form, const std::string& archive, std::ostream& out) {
    OswArchiveSummary summary;
    const bool opened = form.run([&] { summary = form.open_osw_archive(archive); });
    if (!opened) return false;
    out << summary.text() << '\n';
    // The analyse buttons of the pages that got files, in the menu's order.
    const char* analyse[] = {"Button4", "Button9", "Button13"};
    for (int k = 0; k < 3; ++k)
        if (summary.pages[k].files > 0 && !form.user_click(analyse[k])) return false;
    return true;
}

} // namespace kavro
