#pragma once

// A window with the mpstat page, driven as the user would: a file name typed
// into mpstat_filename, the page's buttons clicked, controls moved.

#include "app/form.h"
#include "test_support.h"

#include <string>
#include <string_view>
#include <vector>

namespace kavro::testing {

inline std::string mpstat_fixture(const std::string& name) {
    return fixture("mpstat/" + name).string();
}

class MpstatWindow {
public:
    MpstatWindow() { form.message_box = &messages; }

    bool load_file(const std::string& path) {
        form.user_set("mpstat_filename", path);
        return form.user_click("Button8");
    }
    bool load_text(std::string_view text) {
        return load_file(dir.file("input" + std::to_string(files_++) + ".dat", text));
    }
    bool analyse() { return form.user_click("Button9"); }

    Chart& chart() { return form.mpstat.cpu_util_chart; }
    StringTable& grid() { return form.mpstat.mpstat_grid; }
    int analyze_tab() const { return form.mpstat.mpstat_page.tab_index("TabSheet11"); }
    int active_tab() const { return form.mpstat.mpstat_page.active_tab; }

    std::vector<double> values(int series) {
        std::vector<double> out;
        const Series& s = chart().series(series);
        for (int i = 0; i < s.point_count(); ++i) out.push_back(s.value(i));
        return out;
    }
    std::vector<std::string> labels(int series) {
        std::vector<std::string> out;
        const Series& s = chart().series(series);
        for (int i = 0; i < s.point_count(); ++i) out.emplace_back(s.label(i));
        return out;
    }
    // Points of every series, in series order.
    std::vector<std::vector<double>> all_values() {
        std::vector<std::vector<double>> out;
        for (int i = 0; i < chart().series_count(); ++i) out.push_back(values(i));
        return out;
    }

    TForm1 form;
    RecordingMessageBox messages;
    TempDir dir;

private:
    int files_ = 0;
};

} // namespace kavro::testing
