// The OSWatcher pickers with several files, and "Open OSWatcher Archive...",
// through the form as the window drives it.
#include "app/form.h"

#include "osw_archive_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace kavro;
using namespace kavro::testing;

namespace {

struct Started {
    TempDir dir;
    RecordingMessageBox messages;
    ScriptedFileDialog dialog;
    TForm1 form;
    Started() {
        ChangeDir here(dir.path());
        form.message_box = &messages;
        form.file_dialog = &dialog;
        form.FormShow();
        messages.shown.clear(); // no db.ini, no tracerules.ini: not what is tested here
        form.settings.oswmeta.text = dir.path().string();
    }
};

std::vector<std::string> rows(const StringTable& t) {
    std::vector<std::string> out;
    for (int r = 1; r + 1 < t.RowCount(); ++r) out.emplace_back(t.Cell(0, r));
    return out;
}

} // namespace

TEST(OswPickers, TakeSeveralFilesNameThemInTimeOrderAndLoadThemOneAfterAnother) {
    Started s;
    const std::string b = s.dir.file("db01_mpstat_16.06.06.1100.dat.gz",
                                     compress(osw_text("mpstat", 11), Compression::gzip));
    const std::string a = s.dir.file("db01_mpstat_16.06.06.1000.dat", osw_text("mpstat", 10));
    s.dialog.answers = {b, a};
    ASSERT_TRUE(s.form.user_click("Button7"));
    EXPECT_EQ(s.dialog.shown.back(), "open_many");
    EXPECT_EQ(s.dialog.start_folders.back(), s.dir.path().string());
    EXPECT_EQ(s.form.mpstat.mpstat_filename.text, "\"" + a + "\" \"" + b + "\"");
    ASSERT_TRUE(s.form.user_click("Button8")) << s.form.last_error();

    // The same as loading the two one by one, in time order.
    TForm1 one_by_one;
    for (const std::string& f : {a, b}) {
        one_by_one.mpstat.mpstat_filename.text = f;
        ASSERT_TRUE(one_by_one.user_click("Button8"));
    }
    EXPECT_EQ(rows(s.form.mpstat.mpstat_grid), rows(one_by_one.mpstat.mpstat_grid));
    EXPECT_EQ(rows(s.form.mpstat.mpstat_grid).size(), 22u);
    const OswLoadInfo& info = s.form.mpstat_info;
    EXPECT_EQ(info.files, 2);
    EXPECT_EQ(info.text(), "2 files \u00b7 snapshots from Mon Jun 6 10:00:01 CDT 2016 to Mon Jun 6 "
                           "11:00:31 CDT 2016");
    EXPECT_EQ(osw_header_text(info.header),
              "Linux \u00b7 OSWbb v8.1.2 \u00b7 host db01 \u00b7 a snapshot every 30 s \u00b7 2 "
              "cores \u00b7 4 processors \u00b7 archive /u01/oswbb/archive");

    // Cancelled: the field stays; Clear All forgets what was loaded.
    s.dialog.answers.clear();
    ASSERT_TRUE(s.form.user_click("Button7"));
    EXPECT_EQ(s.form.mpstat.mpstat_filename.text, "\"" + a + "\" \"" + b + "\"");
    ASSERT_TRUE(s.form.user_click("Button10"));
    EXPECT_EQ(s.form.mpstat_info.text(), "");
    EXPECT_TRUE(s.form.mpstat_info.header.empty());
    // The trace picker stays a one-file dialog.
    s.form.user_click("Button100");
    EXPECT_EQ(s.dialog.shown.back(), "open");
}

TEST(OswArchive, TheMenuOpensTheArchiveOntoItsPagesAndSaysWhatItFound) {
    Started s;
    std::vector<OswFile> files = osw_files();
    std::erase_if(files,
                  [](const OswFile& f) { return f.path.find("netstat") != std::string::npos; });
    const std::string path = write_archive(s.dir, files, Packed::tar_gz, "osw.tgz");
    // What the pages held: mpstat is replaced by the archive's file, netstat
    // (none in the archive) keeps its own.
    s.form.mpstat.mpstat_filename.text = s.dir.file("old.dat", "old mpstat line\n");
    s.form.netstat.netstat_filename.text = s.dir.file("old2.dat", "old netstat line\n");
    ASSERT_TRUE(s.form.user_click("Button8"));
    ASSERT_TRUE(s.form.user_click("Button12"));

    s.dialog.answer.reset();
    ASSERT_TRUE(s.form.user_click("OSWArchive1")); // cancelled: nothing
    EXPECT_EQ(s.dialog.shown.back(), "open_archive");
    EXPECT_TRUE(s.messages.shown.empty());

    s.dialog.answer = path;
    ASSERT_TRUE(s.form.user_click("OSWArchive1")) << s.form.last_error();
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_EQ(s.messages.shown[0],
              "Opened \"" + path +
                  "\" (gzip-compressed tar archive)\nOSW(ps): 3 files, snapshots from Mon Jun 6 "
                  "10:00:01 CDT 2016 to Mon Jun 6 12:00:31 CDT 2016\nOSW(mpstat): 1 file, "
                  "snapshots from Mon Jun 6 10:00:01 CDT 2016 to Mon Jun 6 10:00:31 CDT "
                  "2016\nOSW(netstat): no files\n2 other files were not loaded.");
    EXPECT_EQ(rows(s.form.ps.osw_grid), lines_in_time_order(files, "ps"));
    EXPECT_EQ(rows(s.form.mpstat.mpstat_grid), lines_in_time_order(files, "mpstat"));
    EXPECT_EQ(rows(s.form.netstat.nets_trace_grid), std::vector<std::string>{"old netstat line"});
    EXPECT_EQ(s.form.ps.osw_filename.text, path);
    EXPECT_EQ(s.form.mpstat.mpstat_filename.text, path);
    EXPECT_NE(s.form.netstat.netstat_filename.text, path);
    EXPECT_EQ(s.form.front_page(), &s.form.ps.OSWPage);
    EXPECT_EQ(s.form.ps.OSWPage.active_tab, 0);
    EXPECT_EQ(s.form.ps_info.files, 3);

    // The page's own load button reads the archive's ps files once more,
    // after those it holds, as loading a file twice does.
    ASSERT_TRUE(s.form.user_click("Button85"));
    std::vector<std::string> twice = lines_in_time_order(files, "ps");
    const std::vector<std::string> once = twice;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(rows(s.form.ps.osw_grid), twice);
    EXPECT_EQ(s.form.ps_info.files, 6);
}
