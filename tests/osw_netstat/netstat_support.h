#pragma once

// A started window in a folder of its own whose tracerules.ini holds the
// netstat rules of the test, and readers that turn the page's tables and
// chart into plain values to compare.

#include "app/form.h"
#include "core/convert.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavro::testing {

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

// Data rows 1 to RowCount-1, every column.
inline Rows rows(const StringTable& t) {
    Rows out;
    for (int r = 1; r < t.RowCount(); ++r) {
        Row row;
        for (int c = 0; c < t.ColCount(); ++c) row.emplace_back(t.Cell(c, r));
        out.push_back(std::move(row));
    }
    return out;
}

// Every series as "title: value@label value@label ...".
inline std::vector<std::string> bars(const Chart& chart) {
    std::vector<std::string> out;
    for (int i = 0; i < chart.series_count(); ++i) {
        const Series& s = chart.series(i);
        std::string text = s.title() + ":";
        for (int p = 0; p < s.point_count(); ++p)
            text += " " + FloatToStr(s.value(p)) + "@" + std::string(s.label(p));
        out.push_back(std::move(text));
    }
    return out;
}

class NetstatForm {
public:
    explicit NetstatForm(const std::vector<std::string>& metric_rules = {}) {
        std::string ini = "[OSW-NETSTAT]\n";
        for (const std::string& rule : metric_rules) ini += rule + "\n";
        ini += "[END]\n";
        dir_.file("tracerules.ini", ini);
        form.FormShow();
    }

    NetstatPage& page() { return form.netstat; }

    bool load(const std::string& path) {
        form.user_set("netstat_filename", path);
        return form.user_click("Button12");
    }
    bool load_text(const std::string& content) {
        return load(dir_.file("archive" + std::to_string(files_++) + ".dat", content));
    }
    bool analyse() { return form.user_click("Button13"); }

    // Picks the selector entry `key` as the user would; fails the test when
    // the selector does not hold it.
    bool pick(const std::string& key) {
        const auto& items = page().net_combo.items();
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i] == key) return form.user_pick("net_combo", static_cast<int>(i));
        ADD_FAILURE() << "no entry " << key;
        return false;
    }

    // The Delta column of the metric view.
    std::vector<std::string> deltas() {
        std::vector<std::string> out;
        for (const Row& row : rows(page().nets_anal)) out.push_back(row[3]);
        return out;
    }

    TForm1 form;

private:
    TempDir dir_;
    ChangeDir cd_{dir_.path()};
    int files_ = 0;
};

} // namespace kavro::testing
