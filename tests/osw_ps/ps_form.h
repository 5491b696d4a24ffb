#pragma once

// A started window for the ps tests: a temporary folder with the rules file
// the test hands in, start-up run there, and helpers to load an archive and
// read the page back.

#include "app/form.h"
#include "test_support.h"

#include <string>
#include <vector>

namespace kavro::testing {

// A compact layout for the tests' own archives: owner in columns 1-8,
// process ID in 10-14, CPU% in 16-20.
inline const char* kCompactRules = "[OSW-PS]\n"
                                   "heading=zzz\n"
                                   "heading=OWNER\n"
                                   "user=1,8\n"
                                   "process=10,5\n"
                                   "cpu=16,5\n"
                                   "[END]\n";

// One process line of the compact layout.
inline std::string ps_line(const std::string& owner, const std::string& pid,
                           const std::string& cpu) {
    std::string line = owner;
    line.resize(9, ' ');
    line += std::string(pid.size() < 5 ? 5 - pid.size() : 0, ' ') + pid + ' ';
    line += std::string(cpu.size() < 5 ? 5 - cpu.size() : 0, ' ') + cpu;
    return line + " /u01/app/oracle/bin/oracle";
}

inline std::string marker(const std::string& time) {
    return "zzz ***Mon Jun 6 " + time + " EST 2016";
}

class PsForm {
public:
    explicit PsForm(const std::string& rules = kCompactRules) {
        dir_.file("tracerules.ini", rules);
        ChangeDir here(dir_.path());
        form.FormShow();
    }

    // Loads `lines` (each ended by a line feed) through "Load OSW file".
    bool load(const std::vector<std::string>& lines) {
        std::string content;
        for (const auto& l : lines) content += l + "\n";
        return load_text(content);
    }
    bool load_text(const std::string& content) {
        form.ps.osw_filename.text = dir_.file("archive" + std::to_string(files_++), content);
        return form.user_click("Button85");
    }
    bool load_file(const std::string& path) {
        form.ps.osw_filename.text = path;
        return form.user_click("Button85");
    }
    bool analyse() { return form.user_click("Button4"); }
    bool filter() { return form.user_click("cpu_filter"); }
    const std::string& error() const { return form.last_error(); }

    // Rows 1 to RowCount-1 of a table, cells joined by "|".
    static std::vector<std::string> rows(const StringTable& t) {
        std::vector<std::string> out;
        for (int r = 1; r < t.RowCount(); ++r) {
            std::string row;
            for (int c = 0; c < t.ColCount(); ++c) {
                if (c) row += '|';
                row += t.Cell(c, r);
            }
            out.push_back(row);
        }
        return out;
    }
    std::vector<std::string> ps_rows() const { return rows(form.ps.osw_ps_grid); }

    // The titles of the process lines now shown.
    std::vector<std::string> shown() const {
        std::vector<std::string> out;
        const Chart& c = form.ps.osw_process_chart;
        for (int i = 0; i < c.series_count(); ++i)
            if (c.series(i).active()) out.push_back(c.series(i).title());
        return out;
    }
    // Values and labels of a bar chart's one series, as "label=value".
    static std::vector<std::string> bars(const Chart& chart) {
        std::vector<std::string> out;
        const Series& s = chart.series(0);
        for (int i = 0; i < s.point_count(); ++i) {
            std::string v = std::to_string(s.value(i));
            v.erase(v.find_last_not_of('0') + 1);
            if (v.back() == '.') v.pop_back();
            out.push_back(std::string(s.label(i)) + "=" + v);
        }
        return out;
    }
    std::vector<std::string> count_bars() const { return bars(form.ps.osw_proc_count_chart); }
    std::vector<std::string> cpu_bars() const { return bars(form.ps.osw_cpuutil_chart); }
    const std::vector<GanttBar>& gantt() const { return form.ps.osw_gantt.series(0).bars(); }

    TForm1 form;

private:
    TempDir dir_;
    int files_ = 0;
};

} // namespace kavro::testing
