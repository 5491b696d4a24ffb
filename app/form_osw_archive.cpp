// "Open OSWatcher Archive...": one archive onto the three OSWatcher pages.
#include "app/form.h"

namespace kavro {

void TForm1::OSWArchive1Click() {
    OpenDialog1.initial_dir = settings.oswmeta.text;
    const auto chosen = file_dialog->open_archive(OpenDialog1.initial_dir);
    if (!chosen) return;
    const OswArchiveSummary summary = open_osw_archive(*chosen);
    message_box->show(summary.text());
}

OswArchiveSummary TForm1::open_osw_archive(const std::string& path) {
    // A page is cleared only once the archive has a file for it, so that an
    // archive without OSWatcher files (or no archive at all) leaves every
    // page as it was. Its field then names the archive: the page's load
    // button reads the archive's files for that page again.
    PageControl* first = nullptr;
    const auto opened = [&](PageControl& page, Edit& field, void (TForm1::*clear)()) {
        return [this, &page, &field, clear, &first, path] {
            (this->*clear)();
            field.text = path;
            if (!first) first = &page;
        };
    };
    const std::vector<OswPageLoad> pages = {
        {OswKind::ps, &ps.osw_grid, &ps_info,
         opened(ps.OSWPage, ps.osw_filename, &TForm1::Button5Click)},
        {OswKind::mpstat, &mpstat.mpstat_grid, &mpstat_info,
         opened(mpstat.mpstat_page, mpstat.mpstat_filename, &TForm1::Button10Click)},
        {OswKind::netstat, &netstat.nets_trace_grid, &netstat_info,
         opened(netstat.page_osw_nets, netstat.netstat_filename, &TForm1::Button14Click)},
    };
    const auto show_first = [&] {
        if (!first) return;
        first->active_tab = 0; // its Load tab, with what was loaded
        ShowPage(*first);
    };
    try {
        const OswArchiveSummary summary = load_osw_archive(path, pages);
        show_first();
        return summary;
    } catch (...) {
        show_first();
        throw;
    }
}

} // namespace kavro
