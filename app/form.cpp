#include "app/form.h"

#include "core/error.h"

#include <new>
#include <stdexcept>

namespace kavro {

TForm1::TForm1()
    : message_box(&default_message_box_), file_dialog(&default_file_dialog_),
      shell(&default_shell_) {
    about_page.tab_names = {"TabSheet17"};
    about_page.tab_captions = {"About"};
    about_page.visible = true;
    Page_Conf_Set.tab_names = {"TabSheet15"};
    Page_Conf_Set.tab_captions = {"Settings"};
    Page_Rules.tab_names = {"TabSheet16"};
    Page_Rules.tab_captions = {"Trace Rules"};
    register_controls();
    add_profile_tab();
    // Before start-up the page declared last among the visible ones lies on
    // top, as stacked controls do.
    for (auto& [name, page] : pages) page->z = ++z_counter_;
    wire_events();
}

void TForm1::register_controls() {
    TracePage& t = trace;
    pages = {{"about_page", &about_page},
             {"Page_SQL_Hist", &t.Page_SQL_Hist},
             {"OSWPage", &ps.OSWPage},
             {"page_osw_nets", &netstat.page_osw_nets},
             {"mpstat_page", &mpstat.mpstat_page},
             {"Page_Conf_Set", &Page_Conf_Set},
             {"Page_Rules", &Page_Rules}};
    tables = {{"trace_grid", &t.trace_grid},
              {"trace_detail", &t.trace_detail},
              {"trace_detail2", &t.trace_detail2},
              {"touch_grid1", &t.touch_grid1},
              {"touch_grid2", &t.touch_grid2},
              {"execplan_grid", &t.execplan_grid},
              {"exec_anal", &t.exec_anal},
              {"objname_grid", &t.objname_grid},
              {"osw_grid", &ps.osw_grid},
              {"osw_ps_grid", &ps.osw_ps_grid},
              {"mpstat_grid", &mpstat.mpstat_grid},
              {"nets_trace_grid", &netstat.nets_trace_grid},
              {"nets_anal", &netstat.nets_anal},
              {"nets_raw", &netstat.nets_raw},
              {"tracerules_grid1", &rules.tracerules_grid1},
              {"tracerules_grid2", &rules.tracerules_grid2},
              {"tracerules_grid3", &rules.tracerules_grid3},
              {"tracerules_grid4", &rules.tracerules_grid4},
              {"tracerules_grid5", &rules.tracerules_grid5},
              {"tracerules_grid6", &rules.tracerules_grid6},
              {"tracerules_grid7", &rules.tracerules_grid7}};
    charts = {{"trace_graph", &t.trace_graph},
              {"touch_graph1", &t.touch_graph1},
              {"touch_graph2", &t.touch_graph2},
              {"touch_graph3", &t.touch_graph3},
              {"touch_graph4", &t.touch_graph4},
              {"execplan_graph", &t.execplan_graph},
              {"osw_gantt", &ps.osw_gantt},
              {"osw_proc_count_chart", &ps.osw_proc_count_chart},
              {"osw_cpuutil_chart", &ps.osw_cpuutil_chart},
              {"osw_process_chart", &ps.osw_process_chart},
              {"cpu_util_chart", &mpstat.cpu_util_chart},
              {"nets_graph", &netstat.nets_graph}};
    edits = {{"metaloc", &settings.metaloc},
             {"tracemeta", &settings.tracemeta},
             {"oswmeta", &settings.oswmeta},
             {"SQLIdList", &t.SQLIdList},
             {"osw_filename", &ps.osw_filename},
             {"mpstat_filename", &mpstat.mpstat_filename},
             {"netstat_filename", &netstat.netstat_filename},
             {"cpu_thr_value", &ps.cpu_thr_value},
             {"pid_filter", &ps.pid_filter},
             {"owner_filter", &ps.owner_filter},
             {"gts_waitind", &rules.gts_waitind},
             {"gts_metric", &rules.gts_metric},
             {"gts_cont", &rules.gts_cont},
             {"gts_fetchind", &rules.gts_fetchind},
             {"wet_waitind", &rules.wet_waitind},
             {"wet_metric", &rules.wet_metric},
             {"wet_cont", &rules.wet_cont},
             {"wet_fetchind", &rules.wet_fetchind},
             {"ba_waitind", &rules.ba_waitind},
             {"ba_metric", &rules.ba_metric},
             {"ba_cont", &rules.ba_cont},
             {"nets_start", &rules.nets_start},
             {"ps_start", &rules.ps_start},
             {"psuser_posb", &rules.psuser_posb},
             {"psuser_pose", &rules.psuser_pose},
             {"psproc_posb", &rules.psproc_posb},
             {"psproc_pose", &rules.psproc_pose},
             {"pscpu_posb", &rules.pscpu_posb},
             {"pscpu_pose", &rules.pscpu_pose}};
    selectors = {{"cursor_combo", &t.cursor_combo},
                 {"cpu_num", &mpstat.cpu_num},
                 {"net_combo", &netstat.net_combo}};
    lists = {{"dispbox", &t.dispbox}, {"hidebox", &t.hidebox}};
    checks = {{"graph_3d", &t.graph_3d},
              {"trace_graph_asplock", &t.trace_graph_asplock},
              {"asplock", &mpstat.asplock},
              {"cpu_labels", &mpstat.cpu_labels},
              {"cpu_servis", &mpstat.cpu_servis}};
    tracks = {{"trace_graph_zoom", &t.trace_graph_zoom},
              {"trace_graph_rot", &t.trace_graph_rot},
              {"chartrot", &mpstat.chartrot},
              {"chartzoom", &mpstat.chartzoom},
              {"chart_horiz", &mpstat.chart_horiz},
              {"chart_vert", &mpstat.chart_vert}};
    radios = {{"rb_viewtl", &t.rb_viewtl},        {"rb_viewtc", &t.rb_viewtc},
              {"rb_view_stat", &t.rb_view_stat},  {"RadioButton1", &ps.RadioButton1},
              {"RadioButton2", &ps.RadioButton2}, {"RadioButton3", &ps.RadioButton3},
              {"RadioButton4", &ps.RadioButton4}};
    boxes = {{"box_tl", &t.box_tl},
             {"box_tc", &t.box_tc},
             {"box_ep", &t.box_ep},
             {"objname_panel", &t.objname_panel}};
    buttons = {
        {"hISTORY1", [this] { hISTORY1Click(); }},
        {"OSWps1", [this] { OSWps1Click(); }},
        {"OSWmpstat1", [this] { OSWmpstat1Click(); }},
        {"OSWnetstat1", [this] { OSWnetstat1Click(); }},
        {"OSWArchive1", [this] { OSWArchive1Click(); }},
        {"Options1", [this] { Options1Click(); }},
        {"Rules1", [this] { Rules1Click(); }},
        {"HelpManual1", [this] { HelpManual1Click(); }},
        {"About2", [this] { About2Click(); }},
        {"Button100", [this] { Button100Click("Button100"); }},
        {"Button1", [this] { Button1Click("Button1"); }},
        {"Button7", [this] { Button1Click("Button7"); }},
        {"Button11", [this] { Button1Click("Button11"); }},
        {"Button102", [this] { Button102Click(); }},
        {"Button2", [this] { Button2Click(); }},
        {"Button104", [this] { Button104Click(); }},
        {"disp1but", [this] { disp1butClick(); }},
        {"hide1but", [this] { hide1butClick(); }},
        {"dispallbut", [this] { dispallbutClick(); }},
        {"hideallbut", [this] { hideallbutClick(); }},
        {"Button85", [this] { Button85Click(); }},
        {"Button4", [this] { Button4Click(); }},
        {"Button5", [this] { Button5Click(); }},
        {"cpu_filter", [this] { cpu_filterClick(); }},
        {"Button8", [this] { Button8Click(); }},
        {"Button9", [this] { Button9Click(); }},
        {"Button10", [this] { Button10Click(); }},
        {"Button12", [this] { Button12Click(); }},
        {"Button13", [this] { Button13Click(); }},
        {"Button14", [this] { Button14Click(); }},
        {"Button15", [this] { Button15Click(); }},
    };
}

void TForm1::wire_events() {
    TracePage& t = trace;
    t.cursor_combo.on_change = [this] { cursor_comboChange(); };
    t.rb_viewtl.on_click = [this] { rb_viewtlClick(); };
    t.rb_viewtc.on_click = [this] { rb_viewtcClick(); };
    t.rb_view_stat.on_click = [this] { rb_view_statClick(); };
    t.graph_3d.on_click = [this] { graph_3dClick(); };
    t.trace_graph_asplock.on_click = [this] { trace_graph_asplockClick(); };
    t.trace_graph_rot.on_change = [this] { trace_graph_rotChange(); };
    t.trace_graph_zoom.on_change = [this] { trace_graph_zoomChange(); };

    ps.RadioButton1.on_click = [this] { RadioButton1Click(); };
    ps.RadioButton2.on_click = [this] { RadioButton2Click(); };
    ps.RadioButton3.on_click = [this] { RadioButton3Click(); };
    ps.RadioButton4.on_click = [this] { RadioButton4Click(); };

    mpstat.asplock.on_click = [this] { asplockClick(); };
    mpstat.chartrot.on_change = [this] { chartrotChange(); };
    mpstat.chartzoom.on_change = [this] { chartzoomChange(); };
    mpstat.chart_horiz.on_change = [this] { chart_horizChange(); };
    mpstat.chart_vert.on_change = [this] { chart_vertChange(); };
    mpstat.cpu_num.on_change = [this] { cpu_numChange(); };
    mpstat.cpu_labels.on_click = [this] { cpu_labelsClick(); };
    mpstat.cpu_servis.on_click = [this] { cpu_servisClick(); };

    netstat.net_combo.on_change = [this] { net_comboChange(); };
}

// ---------------------------------------------------------------- start-up

void TForm1::write_column_titles() {
    const auto titles = [](StringTable& table, std::initializer_list<const char*> texts) {
        int col = 0;
        for (const char* text : texts) table.SetCell(col++, 0, text);
    };
    titles(trace.trace_grid, {"Trace Line"});
    titles(trace.trace_detail, {"Event", "Metric Value", "Metric Type", "Time"});
    titles(trace.trace_detail2, {"Event", "Metric Value", "Time"});
    titles(trace.touch_grid1, {"Event", "Time", "Count"});
    titles(trace.touch_grid2, {"Event", "Time", "Count"});
    titles(rules.tracerules_grid1, {"Plot By"});
    titles(rules.tracerules_grid2, {"Sum By"});
    titles(rules.tracerules_grid3, {"Sum By"});
    titles(rules.tracerules_grid4, {"Plot By"});
    titles(rules.tracerules_grid5, {"Sum By"});
    titles(rules.tracerules_grid6, {"Plot By"});
    titles(ps.osw_ps_grid, {"Time", "Process ID", "Owner", "CPU%"});
    titles(trace.execplan_grid, {"Cursor#", "Count", "Obj#", "Operation", "Log Reads", "Phy Reads",
                                 "Phy Writes", "Time(us)", "Cost", "Size(Bytes)", "Cardinality"});
    titles(netstat.nets_anal, {"Time", "Metric", "Total", "Delta"});
    titles(netstat.nets_raw, {"Time", "Metric", "Total"});
    titles(rules.tracerules_grid7, {"Exclude these lines"});
    write_profile_titles(profile_tab);
}

void TForm1::read_environment_file() {
    EnvironmentTargets targets{settings,
                               OpenDialog1,
                               OpenDialog2,
                               trace.SQLIdList,
                               ps.osw_filename,
                               mpstat.mpstat_filename,
                               netstat.netstat_filename,
                               cnn.connection_string};
    try {
        read_environment("db.ini", targets);
    } catch (const std::exception&) {
        message_box->show("Cannot locate \"db.ini\" file");
    }
}

void TForm1::read_rules_file() {
    try {
        read_trace_rules("tracerules.ini", rules);
    } catch (const std::exception&) {
        message_box->show("Cannot locate \"tracerules.ini\" file");
    }
}

void TForm1::FormShow() {
    write_column_titles();
    ShowPage(Page_Conf_Set);
    read_environment_file();
    read_rules_file();
    rules.tracerules_grid1.TrimTable();
    rules.tracerules_grid2.TrimTable();
    rules.tracerules_grid3.TrimTable();
}

// -------------------------------------------------------------- navigation

void TForm1::ShowPage(PageControl& page) {
    page.visible = true;
    page.z = ++z_counter_;
}

const PageControl* TForm1::front_page() const {
    const PageControl* front = nullptr;
    for (const auto& [name, page] : pages)
        if (page->visible && (!front || page->z > front->z)) front = page;
    return front;
}

void TForm1::hISTORY1Click() {
    ShowPage(trace.Page_SQL_Hist);
}
void TForm1::OSWps1Click() {
    ShowPage(ps.OSWPage);
}
void TForm1::OSWmpstat1Click() {
    ShowPage(mpstat.mpstat_page);
}
void TForm1::OSWnetstat1Click() {
    ShowPage(netstat.page_osw_nets);
}
void TForm1::Options1Click() {
    ShowPage(Page_Conf_Set);
}
void TForm1::Rules1Click() {
    ShowPage(Page_Rules);
}
void TForm1::About2Click() {
    ShowPage(about_page);
}
void TForm1::HelpManual1Click() {
    shell->open("KAVRO_Help.pdf");
}

// ------------------------------------------------------------ work folders

void TForm1::Button100Click(const std::string& sender) {
    if (sender != "Button100") return;
    OpenDialog2.initial_dir = settings.tracemeta.text;
    if (auto chosen = file_dialog->open(OpenDialog2.initial_dir)) trace.SQLIdList.text = *chosen;
}

void TForm1::Button1Click(const std::string& sender) {
    // The OSWatcher pickers take several files at once: the field names them
    // in OSWatcher's order (the time in their names), which the load keeps.
    const auto pick = [&](Edit& target) {
        OpenDialog1.initial_dir = settings.oswmeta.text;
        std::vector<std::string> chosen = file_dialog->open_many(OpenDialog1.initial_dir);
        if (chosen.empty()) return;
        sort_osw_order(chosen);
        target.text = join_file_field(chosen);
    };
    if (sender == "Button1") pick(ps.osw_filename);
    if (sender == "Button7") pick(mpstat.mpstat_filename);
    if (sender == "Button11") pick(netstat.netstat_filename);
}

// ------------------------------------------------------ the error report

bool TForm1::run(const std::function<void()>& action) {
    // A handler that an action runs from inside another (a check box set by
    // a handler) belongs to the outer one: its error ends the outer action.
    if (running_) {
        action();
        return true;
    }
    running_ = true;
    last_error_.clear();
    std::string failure;
    try {
        ProgressScope scope(progress);
        action();
    } catch (const Error& e) {
        failure = e.what();
    } catch (const std::bad_alloc&) {
        failure = "Out of memory";
    } catch (const std::exception& e) {
        failure = e.what();
    }
    running_ = false;
    if (failure.empty()) return true;
    last_error_ = failure;
    message_box->show(failure);
    return false;
}

bool TForm1::user_set(const std::string& name, const std::string& text) {
    return run([&] {
        if (Edit* e = find(edits, name)) {
            e->text = text;
        } else if (Selector* s = find(selectors, name); s && s->editable()) {
            s->user_type(text);
        } else {
            throw Error("No edit field or editable selector named " + name);
        }
    });
}

bool TForm1::user_pick(const std::string& name, int index) {
    return run([&] {
        Selector* s = find(selectors, name);
        if (!s) throw Error("No selector named " + name);
        if (index < 0 || index >= s->count())
            throw Error("List index out of bounds (" + std::to_string(index) + ")");
        s->user_pick(index);
    });
}

bool TForm1::user_click(const std::string& name) {
    return run([&] {
        for (auto& [n, handler] : buttons)
            if (n == name) return handler();
        if (CheckBox* c = find(checks, name)) return c->set_checked(!c->checked());
        if (RadioButton* r = find(radios, name)) return r->select();
        throw Error("No button, check box or radio button named " + name);
    });
}

bool TForm1::user_track(const std::string& name, int position) {
    return run([&] {
        TrackBar* t = find(tracks, name);
        if (!t) throw Error("No track bar named " + name);
        t->set_position(position);
    });
}

bool TForm1::user_tab(const std::string& page, int index) {
    return run([&] {
        PageControl* p = find(pages, page);
        if (!p) throw Error("No page control named " + page);
        if (index < 0 || index >= static_cast<int>(p->tab_names.size()))
            throw Error("List index out of bounds (" + std::to_string(index) + ")");
        p->active_tab = index;
        if (p == &trace.Page_SQL_Hist && index == ProfileTab::kTabIndex) ProfileTabShow();
    });
}

} // namespace kavro
