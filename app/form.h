#pragma once

// TForm1: the whole state of the main window as one plain object, with one
// method per event handler. It holds no Qt type: tests and kavro-cli drive
// it directly, and the Qt view only mirrors it.

#include "app/platform.h"
#include "app/profile_tab.h"
#include "chart/chart.h"
#include "config/rules_page.h"
#include "config/settings_page.h"
#include "core/controls.h"
#include "core/items.h"
#include "core/progress.h"
#include "core/string_table.h"
#include "osw_archive/osw_load.h"
#include "osw_mpstat/mpstat_page.h"
#include "osw_netstat/netstat_page.h"
#include "osw_ps/ps_page.h"
#include "trace/trace_page.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kavro {

class TForm1 {
public:
    TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    static constexpr const char* kCaption = "Kavro(Ver 16.06.04)";
    static constexpr int kClientWidth = 1406;
    static constexpr int kClientHeight = 863;

    // ---- pages, in the order the window declares them ----
    PageControl about_page;
    TracePage trace;     // Page_SQL_Hist
    PsPage ps;           // OSWPage
    NetstatPage netstat; // page_osw_nets
    MpstatPage mpstat;   // mpstat_page
    PageControl Page_Conf_Set;
    PageControl Page_Rules;

    SettingsPage settings;
    TraceRulesPage rules;
    ProfileTab profile_tab; // the trace page's "Profile" tab

    OpenDialog OpenDialog1; // OSWatcher files
    OpenDialog OpenDialog2; // trace files
    DbConnection cnn;

    // ---- desktop interfaces (recording ones until the view sets its own) ----
    MessageBox* message_box;
    FileDialog* file_dialog;
    ShellOpen* shell;
    // Shows the progress of long actions and offers to cancel them; none in
    // tests and kavro-cli.
    ProgressSink* progress = nullptr;

    // ---- start-up and navigation ----
    void FormShow();
    void ShowPage(PageControl& page);
    // The visible page control with the highest front order.
    const PageControl* front_page() const;
    void hISTORY1Click();
    void OSWps1Click();
    void OSWmpstat1Click();
    void OSWnetstat1Click();
    // "Open OSWatcher Archive...": a folder or archive file from the dialog,
    // its ps, mpstat and netstat files onto their pages, then the summary.
    void OSWArchive1Click();
    void Options1Click();
    void Rules1Click();
    void HelpManual1Click();
    void About2Click();

    // ---- work folders ----
    void Button100Click(const std::string& sender);
    void Button1Click(const std::string& sender);

    // ---- SQL trace ----
    void Button102Click(); // load
    void Button2Click();   // analyse
    void Button104Click(); // clear all
    void cursor_comboChange();
    void rb_viewtlClick();
    void rb_viewtcClick();
    void rb_view_statClick();
    void disp1butClick();
    void hide1butClick();
    void dispallbutClick();
    void hideallbutClick();
    void graph_3dClick();
    void trace_graph_asplockClick();
    void trace_graph_rotChange();
    void trace_graph_zoomChange();

    // ---- SQL trace: the "Profile" tab ----
    void ProfileTabShow(); // builds the profile when a load made it stale
    void profile_applyClick();
    void profile_wholeClick();
    void profile_stmtChange();
    void profile_eventChange();

    // ---- OSWatcher files: what each page's Load tab says it holds ----
    OswLoadInfo ps_info;
    OswLoadInfo mpstat_info;
    OswLoadInfo netstat_info;
    // The archive opening without the dialog (kavro-cli osw): each page
    // that gets files is cleared first and names the archive in its field.
    OswArchiveSummary open_osw_archive(const std::string& path);

    // ---- OSWatcher ps ----
    void Button85Click(); // load
    void Button4Click();  // analyse
    void Button5Click();  // clear all
    void cpu_filterClick();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();

    // ---- OSWatcher mpstat ----
    void Button8Click();  // load
    void Button9Click();  // analyse
    void Button10Click(); // clear all
    void asplockClick();
    void chartrotChange();
    void chartzoomChange();
    void chart_horizChange();
    void chart_vertChange();
    void cpu_numChange();
    void cpu_labelsClick();
    void cpu_servisClick();

    // ---- OSWatcher netstat ----
    void Button12Click(); // load
    void Button13Click(); // analyse
    void Button14Click(); // clear all
    void Button15Click(); // clear analysis
    void net_comboChange();

    // ---- the general error report ----
    // Runs one user action; a kavro::Error (or an I/O or memory failure) ends
    // it where it is and its text goes to the message box. Returns false when
    // the action ended in an error.
    bool run(const std::function<void()>& action);
    const std::string& last_error() const { return last_error_; }

    // ---- the user's own actions, by control name (view and kavro-cli) ----
    // Each runs through run(); an unknown name is reported as an error.
    bool user_set(const std::string& name, const std::string& text);
    bool user_pick(const std::string& name, int index);
    bool user_click(const std::string& name);
    bool user_track(const std::string& name, int position);
    // Makes tab `index` of a page control the active one (no handler runs).
    bool user_tab(const std::string& page, int index);

    // ---- control registry, in declaration order ----
    template <class T> using Named = std::vector<std::pair<std::string, T*>>;
    Named<StringTable> tables;
    Named<Chart> charts;
    Named<Edit> edits;
    Named<Selector> selectors;
    Named<ListBox> lists;
    Named<CheckBox> checks;
    Named<TrackBar> tracks;
    Named<RadioButton> radios;
    Named<PageControl> pages;
    Named<Box> boxes;
    std::vector<std::pair<std::string, std::function<void()>>> buttons;

    template <class T> static T* find(const Named<T>& list, const std::string& name) {
        for (auto& [n, p] : list)
            if (n == name) return p;
        return nullptr;
    }

private:
    void register_controls();
    void add_profile_tab(); // its tab, controls and events
    void wire_events();
    void write_column_titles();
    void read_environment_file();
    void read_rules_file();

    RecordingMessageBox default_message_box_;
    ScriptedFileDialog default_file_dialog_;
    RecordingShellOpen default_shell_;
    std::uint64_t z_counter_ = 0;
    std::string last_error_;
    bool running_ = false;
};

} // namespace kavro
