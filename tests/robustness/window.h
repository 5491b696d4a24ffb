#pragma once

// A started window for the bad-input tests. Start-up runs in a folder of its
// own holding the shipped db.ini and tracerules.ini; then every page loads
// and analyses its shipped sample, so that each test can check that a bad
// input on one page leaves the others as they were, and that the page it
// hit still loads and analyses its sample to the same result afterwards.

#include "app/form.h"
#include "test_support.h"

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kavro::testing {

enum class Page { Trace, Ps, Mpstat, Netstat };

struct PageInfo {
    const char* name;      // for test names
    const char* file_edit; // the file-name field of the Load tab
    const char* load;      // buttons
    const char* analyse;
    const char* clear;
    const char* sample; // under samples/
    const char* raw;    // the raw table a load fills
    // Every table, chart, selector and list box of the page.
    std::vector<std::string> controls;
};

const PageInfo& page_info(Page page);
extern const Page kPages[4];

// What a user could see of each table, chart, selector and list box, by
// control name: row and column counts and a hash of every cell; the series
// with their titles, flags, points and bars; the items and shown text.
using Digest = std::map<std::string, std::string>;
Digest digest(const TForm1& form);

// The lines a load gives for `content` by the text-file rule: split at line
// feeds, every carriage return dropped, byte 26 ends the file, a final line
// feed adds no empty line.
std::vector<std::string> text_file_lines(std::string_view content);

// Rows 1 to RowCount - 1 of column 0.
std::vector<std::string> column0(const StringTable& table);

// Rows 1 to RowCount - 1 of a page's raw table after loading `lines` onto
// `before` (its rows 1 to RowCount - 1 before the load): the trace load
// replaces the table; the OSWatcher loads add the lines after the old ones,
// the old table's empty slot taking the first of them.
std::vector<std::string> rows_after_load(Page page, std::vector<std::string> before,
                                         const std::vector<std::string>& lines);

class Window {
public:
    Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    TForm1 form;
    RecordingMessageBox messages;
    TempDir dir;
    // The digest right after every page analysed its sample.
    Digest fresh;

    // A file of the test's own in the window's folder.
    std::string file(const std::string& name, std::string_view content) const {
        return dir.file(name, content);
    }
    std::string sample(Page page) const;

    // The page's buttons, as the user presses them; false on an error.
    bool load(Page page, const std::string& path);
    bool analyse(Page page);
    bool clear(Page page);
    // Clear All, then load `content` from a file of its own.
    bool load_text(Page page, std::string_view content);
    const std::string& last_message() const;

    // Every control of the window outside `allowed` is as in `before`.
    void expect_unchanged(const Digest& before, const std::set<std::string>& allowed) const;
    // Every control outside the page is as in `before`.
    void expect_others_unchanged(const Digest& before, Page page) const;
    // Clear All, load the sample and analyse it: the page is as it was after
    // start-up, so the bad input left nothing behind that the next user
    // action trips over.
    void expect_page_works(Page page);

private:
    int files_ = 0;
};

} // namespace kavro::testing
