#include "app/export.h"

#include "core/error.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

namespace kavro {

namespace {

void write_field(std::string_view text, std::string& out) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos;
    if (!quote) {
        out.append(text);
        return;
    }
    out.push_back('"');
    for (char c : text) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

using nlohmann::json;

json chart_json(const Chart& chart) {
    json j;
    std::string title;
    for (std::size_t i = 0; i < chart.title().size(); ++i) {
        if (i) title.push_back('\n');
        title += chart.title()[i];
    }
    j["title"] = title;
    const View3D& o = chart.options();
    j["view3d"] = {{"on", chart.view3d()},
                   {"rotation", o.rotation},
                   {"elevation", o.elevation},
                   {"perspective", o.perspective},
                   {"zoom", o.zoom},
                   {"horiz_offset", o.horiz_offset},
                   {"vert_offset", o.vert_offset},
                   {"orthogonal", o.orthogonal}};
    json series = json::array();
    for (int i = 0; i < chart.series_count(); ++i) {
        const Series& s = chart.series(i);
        json js;
        js["kind"] = kind_name(s.kind());
        js["title"] = s.title();
        js["active"] = s.active();
        js["colour"] = colour_name(s.colour());
        js["marks_visible"] = s.marks_visible();
        js["marks_style"] = s.marks_style() == MarksStyle::Value ? "value" : "default";
        js["right_axis"] = s.right_axis();
        json points = json::array();
        if (s.kind() == SeriesKind::Gantt) {
            for (const GanttBar& b : s.bars())
                points.push_back({{"start", b.start},
                                  {"end", b.end},
                                  {"position", b.position},
                                  {"label", b.label},
                                  {"colour", colour_name(b.colour)}});
        } else {
            for (int p = 0; p < s.point_count(); ++p)
                points.push_back({{"x", s.x(p)},
                                  {"y", s.value(p)},
                                  {"label", std::string(s.label(p))},
                                  {"colour", colour_name(s.point_colour(p))}});
        }
        js["points"] = std::move(points);
        series.push_back(std::move(js));
    }
    j["series"] = std::move(series);
    return j;
}

} // namespace

void write_table_csv(const StringTable& table, std::ostream& out) {
    std::string buf;
    buf.reserve(1 << 20);
    for (int r = 0; r < table.RowCount(); ++r) {
        for (int c = 0; c < table.ColCount(); ++c) {
            if (c) buf.push_back(',');
            write_field(table.Cell(c, r), buf);
        }
        buf.append("\r\n");
        if (buf.size() > (1u << 20)) {
            out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
            buf.clear();
        }
    }
    out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
}

std::string form_json(const TForm1& form) {
    json j;
    json& edits = j["edits"] = json::object();
    for (auto& [name, e] : form.edits) edits[name] = e->text;
    json& selectors = j["selectors"] = json::object();
    for (auto& [name, s] : form.selectors)
        selectors[name] = {{"items", s->items()}, {"text", s->text()}, {"index", s->item_index()}};
    json& lists = j["lists"] = json::object();
    for (auto& [name, l] : form.lists)
        lists[name] = {{"items", l->items()}, {"index", l->item_index()}};
    json& checks = j["checks"] = json::object();
    for (auto& [name, c] : form.checks) checks[name] = c->checked();
    json& tracks = j["tracks"] = json::object();
    for (auto& [name, t] : form.tracks) tracks[name] = t->position();
    json& radios = j["radios"] = json::object();
    for (auto& [name, r] : form.radios) radios[name] = r->checked();
    json& pages = j["pages"] = json::object();
    const PageControl* front = form.front_page();
    for (auto& [name, p] : form.pages)
        pages[name] = {
            {"visible", p->visible},
            {"front", p == front},
            {"active_tab", p->active_tab},
            {"active_tab_name", p->tab_names.at(static_cast<std::size_t>(p->active_tab))},
            {"tabs", p->tab_captions}};
    json& boxes = j["boxes"] = json::object();
    for (auto& [name, b] : form.boxes) boxes[name] = {{"visible", b->visible}};
    // What each OSWatcher page's Load tab says of its files.
    json& loads = j["osw_loads"] = json::object();
    const std::pair<const char*, const OswLoadInfo*> infos[] = {
        {"OSWPage", &form.ps_info},
        {"mpstat_page", &form.mpstat_info},
        {"page_osw_nets", &form.netstat_info}};
    for (const auto& [page, info] : infos) {
        const OswHeader& h = info->header;
        loads[page] = {{"files", info->files},
                       {"first_snapshot", info->first_snapshot},
                       {"last_snapshot", info->last_snapshot},
                       {"text", info->text()},
                       {"header",
                        {{"platform", h.platform},
                         {"version", h.version},
                         {"host", h.host},
                         {"interval", h.interval},
                         {"cores", h.cores},
                         {"processors", h.processors},
                         {"archive", h.archive},
                         {"text", osw_header_text(h)}}}};
    }
    json& charts = j["charts"] = json::object();
    for (auto& [name, c] : form.charts) charts[name] = chart_json(*c);
    // Cells and file content are 8-bit text of any encoding: bytes that are
    // not UTF-8 are replaced rather than failing the whole export.
    return j.dump(1, ' ', false, json::error_handler_t::replace);
}

void export_form(const TForm1& form, const std::string& names, const std::string& dir) {
    if (names == "none" || names.empty()) return;
    std::vector<std::string> wanted;
    if (names == "all") {
        for (auto& [name, t] : form.tables) wanted.push_back(name);
        wanted.emplace_back("form");
    } else {
        std::size_t start = 0;
        while (start <= names.size()) {
            auto comma = names.find(',', start);
            if (comma == std::string::npos) comma = names.size();
            if (comma > start) wanted.push_back(names.substr(start, comma - start));
            start = comma + 1;
        }
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (const std::string& name : wanted) {
        const std::filesystem::path base(dir);
        if (name == "form") {
            std::ofstream out(base / "form.json", std::ios::binary);
            out << form_json(form) << '\n';
            if (!out) throw Error("Cannot write " + (base / "form.json").string());
            continue;
        }
        const StringTable* table = TForm1::find(form.tables, name);
        if (!table) throw Error("No table named " + name);
        std::ofstream out(base / (name + ".csv"), std::ios::binary);
        write_table_csv(*table, out);
        if (!out) throw Error("Cannot write " + (base / (name + ".csv")).string());
    }
}

} // namespace kavro
