// Bad db.ini and tracerules.ini files at start-up. Each reading either ends
// with its own message box, keeping what it had set, or takes the file by
// the text-file rule; the start-up goes on with the other file, and the
// window then loads and analyses a trace.

#include "hostile.h"
#include "window.h"

#include <gtest/gtest.h>

namespace kavro::testing {
namespace {

using namespace std::string_literals;

constexpr const char* kDbMessage = "Cannot locate \"db.ini\" file";
constexpr const char* kRulesMessage = "Cannot locate \"tracerules.ini\" file";

// A window started in a folder whose db.ini and tracerules.ini are the given
// contents; a missing one is left out, a directory takes its name.
struct Started {
    enum Kind { Content, Missing, Directory };
    Started(Kind db_kind, const std::string& db, Kind rules_kind, const std::string& rules) {
        place("db.ini", db_kind, db);
        place("tracerules.ini", rules_kind, rules);
        form.message_box = &messages;
        ChangeDir here(dir.path());
        form.FormShow();
    }
    void place(const char* name, Kind kind, const std::string& content) {
        if (kind == Content) dir.file(name, content);
        if (kind == Directory) std::filesystem::create_directory(dir.path() / name);
    }
    // The trace sample loads and its analysis runs to the end.
    void expect_window_works() {
        form.trace.SQLIdList.text =
            (std::filesystem::path(KAVRO_SAMPLES) / "Trace_Files/tracefile.trc").string();
        const std::size_t shown = messages.shown.size();
        EXPECT_TRUE(form.user_click("Button102"));
        EXPECT_GT(form.trace.trace_grid.RowCount(), 1000);
        EXPECT_TRUE(form.user_click("Button2")) << form.last_error();
        EXPECT_EQ(messages.shown.size(), shown);
    }
    TempDir dir;
    TForm1 form;
    RecordingMessageBox messages;
};

std::string sample_rules() {
    std::ifstream in(std::filesystem::path(KAVRO_SAMPLES) / "tracerules.ini", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct DbCase {
    std::string name;
    Started::Kind kind;
    std::string content;
    bool message;
    std::string metaloc;    // the Settings page's "Metadata Location"
    std::string connection; // the assembled connection string
};

void PrintTo(const DbCase& c, std::ostream* os) {
    *os << c.name;
}

// The lines after the first one holding "[]", joined without separators.
std::string rest_after_empty_section(std::string_view content) {
    std::string out;
    bool in_section = false;
    for (const std::string& line : text_file_lines(content)) {
        if (in_section) out += line;
        if (line.find("[]") != std::string::npos) in_section = true;
    }
    return out;
}

const std::string kDefaultFolder = "c:\\temp\\kavro_wip";

std::vector<DbCase> db_cases() {
    const std::vector<std::string> lines = {"KAVRODB=LOCAL", "METADATA=/w",    "[LOCAL]",
                                            "Provider=A;",   "Data Source=B;", "[LOCAL_END]"};
    const std::string good = joined(lines);
    return {
        {"Empty", Started::Content, "", false, kDefaultFolder, ""},
        // Without a key line any line holding "[]" starts the section, and
        // with no end line the rest of the file is the connection string.
        {"Binary", Started::Content, binary_bytes(64 << 10, false), false, kDefaultFolder,
         rest_after_empty_section(binary_bytes(64 << 10, false))},
        {"NulBytes", Started::Content,
         "KAVRODB=A\0B\nMETADATA=/w\0x\n[A\0B]\nProvider=P\0;\n[A\0B_END]\n"s, false, "/w\0x"s,
         "Provider=P\0;"s},
        // One line: the key's value runs to its end, and so does the folder.
        {"CrOnly", Started::Content, joined(lines, "\r"), false,
         "LOCALMETADATA=/w[LOCAL]Provider=A;Data Source=B;[LOCAL_END]", ""},
        {"CrLfMixed", Started::Content, mixed_line_ends(lines), false, "/w",
         "Provider=A;Data Source=B;"},
        {"CtrlZInTheMiddle", Started::Content,
         "KAVRODB=LOCAL\nMETADATA=/w\n[LOCAL]\nProvider=A;\n\x1a" + good, false, "/w",
         "Provider=A;"},
        {"Utf16", Started::Content, utf16le(good), false, kDefaultFolder, ""},
        {"SectionCutOff", Started::Content, "KAVRODB=X\nMETADATA=/w\n[X]\nProvider=A;", false, "/w",
         "Provider=A;"},
        {"Directory", Started::Directory, "", true, kDefaultFolder, ""},
        {"Missing", Started::Missing, "", true, kDefaultFolder, ""},
    };
}

class DbIni : public ::testing::TestWithParam<DbCase> {};

TEST_P(DbIni, ReadsWhatItCanAndTheStartUpGoesOn) {
    const DbCase& c = GetParam();
    Started s(c.kind, c.content, Started::Content, sample_rules());
    EXPECT_EQ(s.messages.shown,
              c.message ? std::vector<std::string>{kDbMessage} : std::vector<std::string>{});
    EXPECT_EQ(s.form.settings.metaloc.text, c.metaloc);
    EXPECT_EQ(s.form.cnn.connection_string, c.connection);
    // The rules file is read whatever became of db.ini.
    EXPECT_EQ(s.form.rules.tracerules_grid1.Cell(0, 1), "ela=");
    EXPECT_EQ(s.form.rules.psuser_pose.text, "8");
    s.expect_window_works();
}

INSTANTIATE_TEST_SUITE_P(Robustness, DbIni, ::testing::ValuesIn(db_cases()),
                         [](const auto& info) { return info.param.name; });

struct RulesCase {
    std::string name;
    Started::Kind kind;
    std::string content;
    bool message;
    std::vector<std::string> netstat_rules; // rows of tracerules_grid6
    std::string user_start, user_count;     // psuser_posb, psuser_pose
};

void PrintTo(const RulesCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<RulesCase> rules_cases() {
    const std::vector<std::string> good = {"[OSW-NETSTAT]", "packets sent", "segments sent out",
                                           "[END]",         "[OSW-PS]",     "user=1,8",
                                           "[END]"};
    const std::vector<std::string> both = {"packets sent", "segments sent out"};
    return {
        {"Empty", Started::Content, "", false, {""}, "1", "1"},
        {"Binary", Started::Content, binary_bytes(64 << 10, false), false, {""}, "1", "1"},
        {"NulBytes",
         Started::Content,
         "[OSW-NETSTAT]\npackets\0sent\n[END]\n"s,
         false,
         {"packets\0sent"s},
         "1",
         "1"},
        // One line, which is no header.
        {"CrOnly", Started::Content, joined(good, "\r"), false, {""}, "1", "1"},
        {"CrLfMixed", Started::Content, mixed_line_ends(good), false, both, "1", "8"},
        // Byte 26 ends the file inside the section, which keeps its rules.
        {"CtrlZInTheMiddle",
         Started::Content,
         "[OSW-NETSTAT]\npackets sent\n\x1asegments sent out\n[END]\n",
         false,
         {"packets sent"},
         "1",
         "1"},
        {"Utf16", Started::Content, utf16le(joined(good)), false, {""}, "1", "1"},
        {"HeaderIsTheLastLine", Started::Content, "[OSW-NETSTAT]", false, {""}, "1", "1"},
        {"PsSectionCutOff",
         Started::Content,
         "[OSW-PS]\nuser=3,9\nheading=zzz",
         false,
         {""},
         "3",
         "9"},
        // Positions are texts until the ps analysis converts them.
        {"PositionBeyond32Bit",
         Started::Content,
         "[OSW-PS]\nuser=4294967296,8\n[END]\n",
         false,
         {""},
         "4294967296",
         "8"},
        {"Directory", Started::Directory, "", true, {""}, "1", "1"},
        {"Missing", Started::Missing, "", true, {""}, "1", "1"},
    };
}

class TraceRulesIni : public ::testing::TestWithParam<RulesCase> {};

TEST_P(TraceRulesIni, ReadsWhatItCanAndTheStartUpGoesOn) {
    const RulesCase& c = GetParam();
    Started s(Started::Content, "METADATA=/w\n", c.kind, c.content);
    EXPECT_EQ(s.messages.shown,
              c.message ? std::vector<std::string>{kRulesMessage} : std::vector<std::string>{});
    // db.ini was read before.
    EXPECT_EQ(s.form.settings.metaloc.text, "/w");
    EXPECT_EQ(column0(s.form.rules.tracerules_grid6), c.netstat_rules);
    EXPECT_EQ(s.form.rules.psuser_posb.text, c.user_start);
    EXPECT_EQ(s.form.rules.psuser_pose.text, c.user_count);
    s.expect_window_works();
}

INSTANTIATE_TEST_SUITE_P(Robustness, TraceRulesIni, ::testing::ValuesIn(rules_cases()),
                         [](const auto& info) { return info.param.name; });

// A position past the 32-bit range reaches the ps analysis as text, which
// fails at the first line it cuts, with the rows before it kept.
TEST(PsRules, PositionBeyond32BitFailsTheFirstCut) {
    Started s(Started::Content, "METADATA=/w\n", Started::Content,
              "[OSW-PS]\nheading=zzz\nuser=4294967296,8\nprocess=10,5\ncpu=26,4\n[END]\n");
    s.form.ps.osw_filename.text =
        (std::filesystem::path(KAVRO_SAMPLES) / "OSW_Files/oswps_linux.dat").string();
    ASSERT_TRUE(s.form.user_click("Button85"));
    EXPECT_FALSE(s.form.user_click("Button4"));
    EXPECT_EQ(s.messages.shown.back(), "'4294967296' is not a valid integer value");
    EXPECT_EQ(s.form.ps.osw_ps_grid.RowCount(), 2);
}

} // namespace
} // namespace kavro::testing
