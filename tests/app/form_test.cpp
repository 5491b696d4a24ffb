#include "app/form.h"
#include "core/error.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace kavro;
using kavro::testing::ChangeDir;
using kavro::testing::TempDir;

namespace {
struct Started {
    TempDir dir;
    std::unique_ptr<ChangeDir> cd;
    RecordingMessageBox messages;
    ScriptedFileDialog dialog;
    RecordingShellOpen shell;
    TForm1 form;
    explicit Started(const char* db_ini = nullptr, const char* rules = nullptr) {
        if (db_ini) dir.file("db.ini", db_ini);
        if (rules) dir.file("tracerules.ini", rules);
        cd = std::make_unique<ChangeDir>(dir.path());
        form.message_box = &messages;
        form.file_dialog = &dialog;
        form.shell = &shell;
        form.FormShow();
    }
};
} // namespace

TEST(StartUp, ReadsBothFilesAndShowsSettingsFirst) {
    Started s("METADATA=/data/work\n", "[General Trace Statistics WAIT]\nela=\n\n[END]\n");
    EXPECT_TRUE(s.messages.shown.empty());
    EXPECT_EQ(s.form.front_page(), &s.form.Page_Conf_Set);
    EXPECT_EQ(s.form.trace.execplan_grid.Cell(10, 0), "Cardinality");
    EXPECT_EQ(s.form.ps.osw_ps_grid.Cell(3, 0), "CPU%");
    EXPECT_EQ(s.form.rules.tracerules_grid7.Cell(0, 0), "Exclude these lines");
    EXPECT_EQ(s.form.trace.exec_anal.Cell(0, 0), ""); // gets its titles from an analysis
    EXPECT_EQ(s.form.trace.SQLIdList.text, "/data/work/Trace_Files/tracefile.trc");
    EXPECT_EQ(s.form.netstat.netstat_filename.text, "/data/work/OSW_Files/osw.txt");
    EXPECT_EQ(s.form.rules.tracerules_grid1.RowCount(), 2); // one rule, trimmed
    EXPECT_EQ(s.form.rules.tracerules_grid1.Cell(0, 1), "ela=");
}

TEST(StartUp, MissingFilesAreReportedInOrderAndTheWindowOpensWithDefaults) {
    Started s;
    ASSERT_EQ(s.messages.shown.size(), 2u);
    EXPECT_EQ(s.messages.shown[0], "Cannot locate \"db.ini\" file");
    EXPECT_EQ(s.messages.shown[1], "Cannot locate \"tracerules.ini\" file");
    EXPECT_EQ(s.form.front_page(), &s.form.Page_Conf_Set);
    EXPECT_EQ(s.form.trace.trace_grid.Cell(0, 0), "Trace Line");
    EXPECT_EQ(s.form.settings.metaloc.text, "c:\\temp\\kavro_wip");
    EXPECT_EQ(s.form.trace.SQLIdList.text, "tracefile.trc");
    EXPECT_EQ(s.form.OpenDialog1.initial_dir, "");
    for (auto* t : {&s.form.rules.tracerules_grid1, &s.form.rules.tracerules_grid7}) {
        EXPECT_EQ(t->RowCount(), 2);
        EXPECT_EQ(t->Cell(0, 1), "");
    }
}

TEST(Navigation, PagesComeToTheFrontAndKeepTheirTab) {
    Started s;
    s.form.user_click("hISTORY1");
    EXPECT_EQ(s.form.front_page(), &s.form.trace.Page_SQL_Hist);
    s.form.user_tab("Page_SQL_Hist", 2);
    s.form.user_click("Options1");
    EXPECT_EQ(s.form.front_page(), &s.form.Page_Conf_Set);
    s.form.user_click("hISTORY1");
    EXPECT_EQ(s.form.front_page(), &s.form.trace.Page_SQL_Hist);
    EXPECT_EQ(s.form.trace.Page_SQL_Hist.active_tab, 2);
    // every page once shown stays visible behind the front one
    EXPECT_TRUE(s.form.Page_Conf_Set.visible);
    for (const char* entry : {"OSWps1", "OSWmpstat1", "OSWnetstat1", "Rules1", "About2"}) {
        s.form.user_click(entry);
        EXPECT_NE(s.form.front_page(), &s.form.trace.Page_SQL_Hist) << entry;
    }
    EXPECT_EQ(s.form.front_page(), &s.form.about_page);
}

TEST(Navigation, HelpManualAsksTheDesktopAndSaysNothing) {
    Started s("METADATA=.\n", "");
    s.form.user_click("HelpManual1");
    EXPECT_EQ(s.shell.opened, std::vector<std::string>{"KAVRO_Help.pdf"});
    EXPECT_TRUE(s.messages.shown.empty());
}

TEST(FilePickers, StartInTheTypedFolderAndKeepFieldsOnCancel) {
    Started s("METADATA=/w\n", "");
    s.form.settings.oswmeta.text = "/typed";
    s.dialog.answer = "/typed/mp.dat";
    s.form.user_click("Button7");
    EXPECT_EQ(s.dialog.start_folders.back(), "/typed");
    EXPECT_EQ(s.form.mpstat.mpstat_filename.text, "/typed/mp.dat");
    EXPECT_EQ(s.form.ps.osw_filename.text, "/w/OSW_Files/osw.txt");

    s.dialog.answer.reset();
    s.form.user_click("Button100");
    EXPECT_EQ(s.dialog.start_folders.back(), "/w/Trace_Files");
    EXPECT_EQ(s.form.trace.SQLIdList.text, "/w/Trace_Files/tracefile.trc");

    s.form.Button100Click("Button7"); // another sender does nothing
    EXPECT_EQ(s.dialog.start_folders.size(), 2u);
}

TEST(ErrorReport, AnErrorEndsTheActionAndTheWindowGoesOn) {
    Started s("METADATA=.\n", "");
    int after = 0;
    EXPECT_FALSE(s.form.run([&] {
        throw Error("'x' is not a valid integer value");
        ++after;
    }));
    EXPECT_EQ(after, 0);
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_EQ(s.messages.shown[0], "'x' is not a valid integer value");
    EXPECT_FALSE(s.form.run([] { throw std::bad_alloc(); }));
    EXPECT_EQ(s.messages.shown.back(), "Out of memory");
    EXPECT_TRUE(s.form.user_click("About2"));
    EXPECT_FALSE(s.form.user_click("NoSuchButton"));
    EXPECT_FALSE(s.form.user_pick("cursor_combo", 5));
    EXPECT_EQ(s.messages.shown.back(), "List index out of bounds (5)");
}
