// Bad files given to the four load buttons. Each load either ends with the
// system's message (the table as the page documents it: trace_grid reset,
// the OSWatcher tables unchanged) or gives exactly the lines of the
// text-file rule; either way every other table of the window stays as it
// was and the page then loads and analyses its sample as after start-up.

#include "hostile.h"
#include "window.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace kavro::testing {
namespace {

enum class Kind { Content, Directory, Missing, DevNull };

struct LoadCase {
    std::string name;
    std::string content;
    Kind kind = Kind::Content;
    std::string error = {}; // the message shown, empty when the load succeeds
};

void PrintTo(const LoadCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<LoadCase> load_cases() {
    using namespace std::string_literals;
    return {
        {"Empty", ""},
        {"OnlyLineBreaks", "\n\n\n"},
        {"NoFinalLineBreak", "one\ntwo"},
        {"Binary", binary_bytes(64 << 10, true)},
        {"BinaryWithoutCtrlZ", binary_bytes(64 << 10, false)},
        {"NulBytes", "a\0b\n\0\n\0\0\0"s},
        {"CrOnly", "one\rtwo\rthree\r"},
        {"CrLfMixed", "one\r\ntwo\nthree\r\n\r\nfive\r"},
        {"CtrlZInTheMiddle", "one\ntwo\x1athree\nfour\n"},
        {"CtrlZFirst", "\x1aone\ntwo\n"},
        {"Utf16", utf16le("zzz ***Mon Jun 6 10:00:01 CDT 2016\nWAIT #1: nam='x' ela= 1 tim=2\n")},
        {"Directory", "", Kind::Directory, "Is a directory"}, // the trace page
        {"Missing", "", Kind::Missing, "File not found"},
        {"DevNull", "", Kind::DevNull},
    };
}

class Load : public ::testing::TestWithParam<std::tuple<Page, LoadCase>> {};

TEST_P(Load, GivesTheFilesLinesOrItsErrorAndKeepsTheRest) {
    const auto& [page, c] = GetParam();
    Window w;
    const PageInfo& p = page_info(page);
    const StringTable& raw = *TForm1::find(w.form.tables, p.raw);
    const std::vector<std::string> before_rows = column0(raw);
    const Digest before = digest(w.form);

    std::string path;
    switch (c.kind) {
    case Kind::Content:
        path = w.file("hostile", c.content);
        break;
    case Kind::Directory:
        path = w.dir.path().string();
        break;
    case Kind::Missing:
        path = (w.dir.path() / "no such file.trc").string();
        break;
    case Kind::DevNull:
        path = "/dev/null";
        break;
    }
    const bool ok = w.load(page, path);

    // A folder named on an OSWatcher page is opened for the page's files;
    // this one holds none.
    std::string error = c.error;
    if (c.kind == Kind::Directory && page != Page::Trace) {
        const std::string k = page == Page::Ps ? "ps" : page == Page::Mpstat ? "mpstat" : "netstat";
        error = "No OSWatcher " + k + " files in \"" + path + "\" (looked for the folder osw" + k +
                " and the names with _" + k + "_)";
    }
    if (!error.empty()) {
        EXPECT_FALSE(ok);
        EXPECT_EQ(w.last_message(), error);
        // The trace load resets its table before it opens the file; the
        // OSWatcher loads open it first and leave their table alone.
        if (page == Page::Trace)
            EXPECT_EQ(column0(raw), std::vector<std::string>{""});
        else
            EXPECT_EQ(column0(raw), before_rows);
    } else {
        EXPECT_TRUE(ok) << w.last_message();
        EXPECT_EQ(column0(raw), rows_after_load(page, before_rows, text_file_lines(c.content)));
    }
    w.expect_unchanged(before, {p.raw, p.file_edit});
    w.expect_page_works(page);
}

std::string case_name(const ::testing::TestParamInfo<Load::ParamType>& info) {
    return std::string(page_info(std::get<0>(info.param)).name) + "_" +
           std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Robustness, Load,
                         ::testing::Combine(::testing::ValuesIn(kPages),
                                            ::testing::ValuesIn(load_cases())),
                         case_name);

} // namespace
} // namespace kavro::testing
