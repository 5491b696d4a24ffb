// Hostile archives given to "Open OSWatcher Archive...": paths that climb
// out, archive bombs, empty archives, archives without OSWatcher files,
// archives that are not what their names say, archives cut short. Each ends
// with its message (or its summary); a page is replaced only by files that
// were read, every other page keeps what it held, and every page then loads
// and analyses its sample as before.

#include "archives.h"
#include "osw_archive_support.h"
#include "window.h"

#include <gtest/gtest.h>

namespace kavro::testing {
namespace {

struct Limit {
    explicit Limit(std::uint64_t n) { set_inflate_limit(n); }
    ~Limit() { set_inflate_limit(0); }
};

std::string ps_file(int hour) {
    return osw_text("ps", hour);
}

const std::string kNoFiles = "No OSWatcher ps, mpstat or netstat files in \"%\" (looked for the "
                             "folders oswps, oswmpstat or oswnetstat and the names with _ps_, "
                             "_mpstat_ or _netstat_)";

std::string with_path(std::string text, const std::string& path) {
    if (auto at = text.find('%'); at != std::string::npos) text.replace(at, 1, path);
    return text;
}

struct Opened {
    bool ok;
    std::string message;
};

Opened open_archive(Window& w, const std::string& path) {
    ScriptedFileDialog dialog;
    dialog.answer = path;
    w.form.file_dialog = &dialog;
    const std::size_t shown = w.messages.shown.size();
    const bool ok = w.form.user_click("OSWArchive1");
    EXPECT_EQ(dialog.shown, std::vector<std::string>{"open_archive"});
    EXPECT_EQ(w.messages.shown.size(), shown + 1) << "one message: the summary or the error";
    return {ok, w.last_message()};
}

// Every page's controls but those of `changed` as in `before`.
void expect_only(const Window& w, const Digest& before, std::initializer_list<Page> changed) {
    std::set<std::string> allowed;
    for (Page p : changed) {
        const PageInfo& info = page_info(p);
        allowed.insert(info.controls.begin(), info.controls.end());
        allowed.insert(info.file_edit);
    }
    w.expect_unchanged(before, allowed);
}

void expect_pages_work(Window& w) {
    for (Page p : kPages) w.expect_page_works(p);
}

TEST(HostileArchive, PathsThatClimbOutArePassedOverAndTold) {
    for (Packing packing : {Packing::tar, Packing::zip}) {
        Window w;
        const Digest before = digest(w.form);
        const std::string path = w.file(
            "climb", pack({{"../oswps/db01_ps_16.06.06.0900.dat", ps_file(9)},
                           {"/tmp/oswmpstat/db01_mpstat_16.06.06.0900.dat", osw_text("mpstat", 9)},
                           {"archive/../../oswps/db01_ps_16.06.06.0800.dat", ps_file(8)},
                           {"archive/oswps/db01_ps_16.06.06.1000.dat", ps_file(10)}},
                          packing));
        const Opened o = open_archive(w, path);
        EXPECT_TRUE(o.ok) << o.message;
        EXPECT_NE(o.message.find("OSW(ps): 1 file,"), std::string::npos) << o.message;
        EXPECT_NE(o.message.find("OSW(mpstat): no files"), std::string::npos) << o.message;
        EXPECT_NE(o.message.find("3 members were passed over: links, devices, or paths leading "
                                 "out of the archive."),
                  std::string::npos)
            << o.message;
        const StringTable& raw = w.form.ps.osw_grid;
        std::vector<std::string> want = text_file_lines(ps_file(10));
        want.emplace_back();
        EXPECT_EQ(column0(raw), want);
        expect_only(w, before, {Page::Ps});
        expect_pages_work(w);
    }
}

TEST(HostileArchive, BombsAreRefusedBeforeTheyFillTheMemory) {
    const std::string zeros = gzip_of_zeros(std::uint64_t(80) << 20);
    {
        // The first ps file a bomb: no page changes.
        Window w;
        const Digest before = digest(w.form);
        const std::string path = w.file(
            "bomb.tar", pack({{"oswps/db01_ps_16.06.06.1000.dat.gz", zeros},
                              {"oswmpstat/db01_mpstat_16.06.06.1000.dat", osw_text("mpstat", 10)}},
                             Packing::tar));
        const Opened o = open_archive(w, path);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.message, "\"" + path +
                                 ": oswps/db01_ps_16.06.06.1000.dat.gz\" inflates more than a "
                                 "thousand times over, as an archive bomb does: it was not loaded");
        w.expect_unchanged(before, {});
        expect_pages_work(w);
    }
    {
        // After a good file: the page keeps that file, not the bomb's lines.
        Window w;
        const Digest before = digest(w.form);
        const std::string path =
            w.file("later-bomb.zip", pack({{"oswps/db01_ps_16.06.06.1000.dat", ps_file(10)},
                                           {"oswps/db01_ps_16.06.06.0900.dat.gz", zeros}},
                                          Packing::zip));
        const Opened o = open_archive(w, path);
        EXPECT_FALSE(o.ok);
        EXPECT_NE(o.message.find("as an archive bomb does"), std::string::npos) << o.message;
        std::vector<std::string> want = text_file_lines(ps_file(10));
        want.emplace_back();
        EXPECT_EQ(column0(w.form.ps.osw_grid), want);
        expect_only(w, before, {Page::Ps});
        expect_pages_work(w);
    }
    {
        // A member whose header declares more than memory can hold is
        // refused before a byte of it is read.
        Limit limit(std::uint64_t(1) << 20);
        Window w;
        const Digest before = digest(w.form);
        std::string big;
        while (big.size() < (std::size_t(2) << 20)) big += ps_file(10);
        const std::string path = w.file(
            "big.tgz", compress(pack({{"oswps/db01_ps_16.06.06.1000.dat", big}}, Packing::tar),
                                Compression::gzip));
        const Opened o = open_archive(w, path);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.message, "\"" + path +
                                 ": oswps/db01_ps_16.06.06.1000.dat\" inflates to more than 1.0 "
                                 "MB, more than the free memory can hold: it was not loaded");
        w.expect_unchanged(before, {});
    }
}

TEST(HostileArchive, EmptyOrWithoutOswatcherFilesChangesNothing) {
    Window w;
    const Digest before = digest(w.form);
    std::filesystem::create_directories(w.dir.path() / "empty folder");
    std::filesystem::create_directories(w.dir.path() / "top only" / "oswtop");
    w.file("top only/oswtop/db01_top_16.06.06.1000.dat", "top - 10:00:01\n");
    const std::string paths[] = {
        w.file("empty.tar", pack({}, Packing::tar)),
        w.file("empty.zip", pack({}, Packing::zip)),
        w.file("empty.tar.gz", compress(pack({}, Packing::tar), Compression::gzip)),
        w.file("nothing.tar", ""),
        (w.dir.path() / "empty folder").string(),
        (w.dir.path() / "top only").string(),
        w.file("others.tar.xz", compress(pack({{"oswtop/db01_top_16.06.06.1000.dat", "top\n"},
                                               {"README", "OSWatcher\n"},
                                               {"oswps/", "", true}},
                                              Packing::tar),
                                         Compression::xz)),
        // Plain text named as an archive is one file, and no OSWatcher one.
        w.file("osw.zip", "zzz ***Mon Jun 6 10:00:01 CDT 2016\n"),
    };
    for (const std::string& path : paths) {
        const Opened o = open_archive(w, path);
        EXPECT_FALSE(o.ok) << path;
        EXPECT_EQ(o.message, with_path(kNoFiles, path));
    }
    const Opened missing = open_archive(w, (w.dir.path() / "gone.tar").string());
    EXPECT_EQ(missing.message, "File not found");
    w.expect_unchanged(before, {});
    expect_pages_work(w);
}

TEST(HostileArchive, NotWhatItsNameSays) {
    // A zip named .tar.gz, a tar named .zip, a gzip'd tar named .dat: the
    // content decides, and each opens as what it is.
    const auto files = osw_files();
    const struct {
        const char* name;
        Packed packed;
    } cases[] = {
        {"osw.tar.gz", Packed::zip}, {"osw.zip", Packed::tar}, {"osw.dat", Packed::tar_gz}};
    for (const auto& c : cases) {
        Window w;
        const std::string path = write_archive(w.dir, files, c.packed, c.name);
        const Opened o = open_archive(w, path);
        EXPECT_TRUE(o.ok) << c.name << ": " << o.message;
        std::vector<std::string> want = lines_in_time_order(files, "ps");
        want.emplace_back();
        EXPECT_EQ(column0(w.form.ps.osw_grid), want) << c.name;
    }
}

TEST(HostileArchive, AHeaderThatLooksLikeTarButIsNotEndsWithItsMessage) {
    // The tar mark at its place, a header whose check sum is wrong: the
    // archive library refuses to open it, and that refusal is the message
    // (the handle it leaves behind was once leaked).
    std::string fake(1024, '\0');
    fake.replace(0, 5, "oswps");
    fake.replace(257, 5, "ustar");
    for (const bool compressed : {false, true}) {
        Window w;
        const Digest before = digest(w.form);
        const std::string path = w.file(compressed ? "fake.tar.gz" : "fake.tar",
                                        compressed ? compress(fake, Compression::gzip) : fake);
        const Opened o = open_archive(w, path);
        EXPECT_FALSE(o.ok);
        EXPECT_NE(o.message.find("\"" + path + "\": the "), std::string::npos) << o.message;
        EXPECT_NE(o.message.find("cannot be opened"), std::string::npos) << o.message;
        w.expect_unchanged(before, {});
        expect_pages_work(w);
    }
}

TEST(HostileArchive, CutShortTheFilesBeforeTheCutStayInOrder) {
    // Many files, so that the cut falls past some of them.
    std::vector<OswFile> files;
    for (int hour = 0; hour < 24; ++hour) {
        std::string text = ps_file(hour);
        // Enough text that the archive is more than one block of input.
        for (int i = 0; i < 400; ++i) text += "oracle " + std::to_string(hour * 1000 + i) + "\n";
        files.push_back({"oswps/db01_ps_16.06.06." + std::string(hour < 10 ? "0" : "") +
                             std::to_string(hour) + "00.dat",
                         text});
    }
    // Archive order is not time order.
    std::rotate(files.begin(), files.begin() + 7, files.end());
    const std::string tar = pack(members_of(files), Packing::tar);
    const std::string gz = compress(tar, Compression::gzip);
    const struct {
        const char* name;
        std::string bytes;
        std::string says;
    } cases[] = {
        {"cut.tar.gz", gz.substr(0, gz.size() / 2), "its gzip data is cut short"},
        {"cut.tar", tar.substr(0, tar.size() / 2 + 100), "is damaged or cut short"},
    };
    for (const auto& c : cases) {
        Window w;
        const Digest before = digest(w.form);
        const std::string path = w.file(c.name, c.bytes);
        const Opened o = open_archive(w, path);
        EXPECT_FALSE(o.ok);
        EXPECT_NE(o.message.find("\"" + path), std::string::npos) << o.message;
        EXPECT_NE(o.message.find(c.says), std::string::npos) << o.message;
        // What was read: whole files, perhaps the start of the one cut,
        // each file's lines together and the files in time order.
        const std::vector<std::string> rows = column0(w.form.ps.osw_grid);
        ASSERT_GT(rows.size(), 2000u) << c.name;
        std::string last_marker;
        for (const std::string& r : rows) {
            if (r.rfind("zzz ***", 0) != 0) continue;
            EXPECT_GE(r, last_marker) << c.name << ": snapshots out of order";
            last_marker = r;
        }
        EXPECT_EQ(w.form.ps.osw_filename.text, path);
        expect_only(w, before, {Page::Ps});
        expect_pages_work(w);
    }
}

} // namespace
} // namespace kavro::testing
