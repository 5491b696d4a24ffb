#include "window.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace kavro::testing {

const Page kPages[4] = {Page::Trace, Page::Ps, Page::Mpstat, Page::Netstat};

const PageInfo& page_info(Page page) {
    static const PageInfo trace{"Trace",
                                "SQLIdList",
                                "Button102",
                                "Button2",
                                "Button104",
                                "Trace_Files/tracefile.trc",
                                "trace_grid",
                                {"trace_grid", "trace_detail", "trace_detail2", "touch_grid1",
                                 "touch_grid2", "execplan_grid", "exec_anal", "trace_graph",
                                 "touch_graph1", "touch_graph2", "touch_graph3", "touch_graph4",
                                 "execplan_graph", "cursor_combo", "dispbox", "hidebox"}};
    static const PageInfo ps{"Ps",
                             "osw_filename",
                             "Button85",
                             "Button4",
                             "Button5",
                             "OSW_Files/oswps_linux.dat",
                             "osw_grid",
                             {"osw_grid", "osw_ps_grid", "osw_gantt", "osw_proc_count_chart",
                              "osw_cpuutil_chart", "osw_process_chart"}};
    static const PageInfo mpstat{"Mpstat",      "mpstat_filename",
                                 "Button8",     "Button9",
                                 "Button10",    "OSW_Files/oswmpstat_aix.dat",
                                 "mpstat_grid", {"mpstat_grid", "cpu_util_chart", "cpu_num"}};
    static const PageInfo netstat{
        "Netstat",         "netstat_filename",
        "Button12",        "Button13",
        "Button14",        "OSW_Files/oswnetstat_linux.dat",
        "nets_trace_grid", {"nets_trace_grid", "nets_raw", "nets_anal", "nets_graph", "net_combo"}};
    switch (page) {
    case Page::Trace:
        return trace;
    case Page::Ps:
        return ps;
    case Page::Mpstat:
        return mpstat;
    case Page::Netstat:
        return netstat;
    }
    return trace;
}

namespace {

// FNV-1a over length-prefixed texts, so ("ab", "c") and ("a", "bc") differ.
class Hash {
public:
    void text(std::string_view t) {
        number(t.size());
        for (unsigned char c : t) byte(c);
    }
    void number(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) byte(static_cast<unsigned char>(v >> (8 * i)));
    }
    void real(double v) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        number(bits);
    }
    std::string hex() const {
        char buf[17];
        std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h_));
        return buf;
    }

private:
    void byte(unsigned char c) {
        h_ ^= c;
        h_ *= 1099511628211ULL;
    }
    std::uint64_t h_ = 14695981039346656037ULL;
};

std::string table_digest(const StringTable& t) {
    Hash h;
    for (int r = 0; r < t.RowCount(); ++r)
        for (int c = 0; c < t.ColCount(); ++c) h.text(t.Cell(c, r));
    return std::to_string(t.RowCount()) + "x" + std::to_string(t.ColCount()) + " " + h.hex();
}

std::string chart_digest(const Chart& chart) {
    Hash h;
    for (const std::string& line : chart.title()) h.text(line);
    for (int i = 0; i < chart.series_count(); ++i) {
        const Series& s = chart.series(i);
        h.text(kind_name(s.kind()));
        h.text(s.title());
        h.number(s.active() * 4u + s.right_axis() * 2u + s.marks_visible());
        h.number(s.colour());
        for (int p = 0; p < s.point_count(); ++p) {
            h.real(s.x(p));
            h.real(s.value(p));
            h.text(s.label(p));
            h.number(s.point_colour(p));
        }
        for (const GanttBar& b : s.bars()) {
            h.real(b.start);
            h.real(b.end);
            h.real(b.position);
            h.text(b.label);
        }
    }
    return std::to_string(chart.series_count()) + " series " + h.hex();
}

std::string items_digest(const std::vector<std::string>& items, int index, std::string_view text) {
    Hash h;
    for (const std::string& item : items) h.text(item);
    h.text(text);
    return std::to_string(items.size()) + " items, index " + std::to_string(index) + " " + h.hex();
}

} // namespace

Digest digest(const TForm1& form) {
    Digest d;
    for (const auto& [name, table] : form.tables) d[name] = table_digest(*table);
    for (const auto& [name, chart] : form.charts) d[name] = chart_digest(*chart);
    for (const auto& [name, s] : form.selectors)
        d[name] = items_digest(s->items(), s->item_index(), s->text());
    for (const auto& [name, l] : form.lists)
        d[name] = items_digest(l->items(), l->item_index(), "");
    for (const auto& [name, e] : form.edits) d[name] = items_digest({}, 0, e->text);
    return d;
}

std::vector<std::string> text_file_lines(std::string_view content) {
    if (auto z = content.find('\x1a'); z != std::string_view::npos) content = content.substr(0, z);
    std::vector<std::string> lines;
    while (!content.empty()) {
        const auto nl = content.find('\n');
        std::string line;
        for (char c : content.substr(0, nl))
            if (c != '\r') line.push_back(c);
        lines.push_back(std::move(line));
        if (nl == std::string_view::npos) break;
        content.remove_prefix(nl + 1);
    }
    return lines;
}

std::vector<std::string> column0(const StringTable& table) {
    std::vector<std::string> out;
    for (int r = 1; r < table.RowCount(); ++r) out.emplace_back(table.Cell(0, r));
    return out;
}

std::vector<std::string> rows_after_load(Page page, std::vector<std::string> before,
                                         const std::vector<std::string>& lines) {
    if (page == Page::Trace)
        before.clear();
    else if (lines.empty())
        return before;
    else if (!before.empty() && before.back().empty())
        before.pop_back();
    before.insert(before.end(), lines.begin(), lines.end());
    before.emplace_back();
    return before;
}

Window::Window() {
    form.message_box = &messages;
    for (const char* name : {"db.ini", "tracerules.ini"})
        std::filesystem::copy_file(std::filesystem::path(KAVRO_SAMPLES) / name, dir.path() / name);
    {
        ChangeDir here(dir.path());
        form.FormShow();
    }
    for (Page page : kPages) {
        EXPECT_TRUE(load(page, sample(page))) << last_message();
        EXPECT_TRUE(analyse(page)) << last_message();
    }
    EXPECT_TRUE(messages.shown.empty()) << last_message();
    fresh = digest(form);
}

std::string Window::sample(Page page) const {
    return (std::filesystem::path(KAVRO_SAMPLES) / page_info(page).sample).string();
}

bool Window::load(Page page, const std::string& path) {
    const PageInfo& p = page_info(page);
    return form.user_set(p.file_edit, path) && form.user_click(p.load);
}

bool Window::analyse(Page page) {
    return form.user_click(page_info(page).analyse);
}

bool Window::clear(Page page) {
    return form.user_click(page_info(page).clear);
}

bool Window::load_text(Page page, std::string_view content) {
    EXPECT_TRUE(clear(page));
    return load(page, file("input" + std::to_string(files_++), content));
}

const std::string& Window::last_message() const {
    static const std::string none;
    return messages.shown.empty() ? none : messages.shown.back();
}

void Window::expect_unchanged(const Digest& before, const std::set<std::string>& allowed) const {
    const Digest now = digest(form);
    for (const auto& [name, was] : before) {
        if (allowed.count(name)) continue;
        EXPECT_EQ(now.at(name), was) << name << " changed";
    }
}

void Window::expect_others_unchanged(const Digest& before, Page page) const {
    const PageInfo& p = page_info(page);
    std::set<std::string> own(p.controls.begin(), p.controls.end());
    own.insert(p.file_edit);
    expect_unchanged(before, own);
}

void Window::expect_page_works(Page page) {
    const PageInfo& p = page_info(page);
    ASSERT_TRUE(clear(page)) << last_message();
    ASSERT_TRUE(load(page, sample(page))) << last_message();
    ASSERT_TRUE(analyse(page)) << last_message();
    const Digest now = digest(form);
    for (const std::string& name : p.controls)
        EXPECT_EQ(now.at(name), fresh.at(name)) << name << " after the page's sample again";
}

} // namespace kavro::testing
