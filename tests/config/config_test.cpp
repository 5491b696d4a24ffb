#include "config/rules_page.h"
#include "config/settings_page.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace kavro;
using kavro::testing::TempDir;

namespace {

struct Env {
    SettingsPage settings;
    OpenDialog d1, d2;
    Edit sql{"tracefile.trc"}, osw{"tracefile.trc"}, mp{"tracefile.trc"}, net{"tracefile.trc"};
    std::string connection = "stale";
    void read(const std::string& path) {
        EnvironmentTargets t{settings, d1, d2, sql, osw, mp, net, connection};
        read_environment(path, t);
    }
};

std::vector<std::string> rows(const StringTable& t) {
    std::vector<std::string> out;
    for (int r = 1; r < t.RowCount(); ++r) out.emplace_back(t.Cell(0, r));
    return out;
}
using Rows = std::vector<std::string>;

} // namespace

TEST(Environment, FolderLineSetsEveryFieldAndTheDialogs) {
    TempDir dir;
    Env e;
    e.read(dir.file("db.ini", "METADATA=d:\\x\n"));
    EXPECT_EQ(e.settings.metaloc.text, "d:\\x");
    EXPECT_EQ(e.settings.tracemeta.text, std::string("d:\\x") + kDirSep + "Trace_Files");
    EXPECT_EQ(e.settings.oswmeta.text, std::string("d:\\x") + kDirSep + "OSW_Files");
    EXPECT_EQ(e.sql.text, e.settings.tracemeta.text + kDirSep + "tracefile.trc");
    EXPECT_EQ(e.mp.text, e.settings.oswmeta.text + kDirSep + "osw.txt");
    EXPECT_EQ(e.d1.initial_dir, e.settings.oswmeta.text);
    EXPECT_EQ(e.connection, "");
}

TEST(Environment, ValuesAreTakenAsWritten) {
    TempDir dir;
    struct Case {
        const char* content;
        const char* metaloc;
    } cases[] = {
        {"METADATA = d:\\x\n", " d:\\x"},
        {"METADATA d:\\x\n", "METADATA d:\\x"},
        {"METADATA=a\nMETADATA=b\n", "b"},
    };
    for (const Case& c : cases) {
        Env e;
        e.read(dir.file("db.ini", c.content));
        EXPECT_EQ(e.settings.metaloc.text, c.metaloc) << c.content;
    }
}

TEST(Environment, ConnectionLinesJoinWithNothingBetween) {
    TempDir dir;
    Env e;
    e.read(dir.file("db.ini", "KAVRODB=PROD\n[PROD] start\nProvider=A;\nUser ID=B;\n[PROD_END]\n"
                              "after=1\n[PROD]\nMore;\n[PROD_END]\n"));
    EXPECT_EQ(e.connection, "Provider=A;User ID=B;More;");

    Env before;
    before.read(dir.file("db.ini", "[PROD]\nProvider=A;\n[PROD_END]\nKAVRODB=PROD\n"));
    EXPECT_EQ(before.connection, "");

    Env cut; // a section cut off by the end of the file keeps what it read
    cut.read(dir.file("db.ini", "KAVRODB=P\n[P]\nx;\ny;"));
    EXPECT_EQ(cut.connection, "x;y;");
}

TEST(Environment, MissingFileFailsAndChangesNothing) {
    TempDir dir;
    Env e;
    EXPECT_THROW(e.read((dir.path() / "db.ini").string()), std::exception);
    EXPECT_EQ(e.settings.metaloc.text, "c:\\temp\\kavro_wip");
    EXPECT_EQ(e.sql.text, "tracefile.trc");
}

TEST(TraceRules, SectionsFillTheirTablesTrimmed) {
    TempDir dir;
    TraceRulesPage r;
    read_trace_rules(dir.file("tracerules.ini", "comment\n[General Trace Statistics WAIT]\nela=\n"
                                                "obj#=\n   \n\n[END]\n[Touch Count Analysis 2]\n"
                                                "obj#=\n[END]\n"),
                     r);
    EXPECT_EQ(rows(r.tracerules_grid1), (Rows{"ela=", "obj#=", "   "}));
    EXPECT_EQ(rows(r.tracerules_grid3), (Rows{"obj#="}));
    EXPECT_EQ(r.tracerules_grid2.RowCount(), 2); // untouched: title and empty slot
}

TEST(TraceRules, HeadersMustMatchExactly) {
    TempDir dir;
    TraceRulesPage r;
    read_trace_rules(dir.file("tracerules.ini", "[General Trace Statistics WAIT] \nela=\n[END]\n"
                                                "[general trace statistics wait]\nx\n[END]\n"),
                     r);
    EXPECT_EQ(r.tracerules_grid1.RowCount(), 2);
    EXPECT_EQ(r.tracerules_grid1.Cell(0, 1), "");
}

TEST(TraceRules, EmptyRepeatedAndCutSections) {
    TempDir dir;
    TraceRulesPage r;
    read_trace_rules(dir.file("tracerules.ini", "[General Trace Statistics WAIT]\n[END]\n"
                                                "[Touch Count Analysis 1 WAIT]\nela=\n[END]\n"
                                                "[Touch Count Analysis 1 WAIT]\nblocks=\n[END]\n"
                                                "[OSW-NETSTAT]\npackets sent\npackets received"),
                     r);
    // an empty section swallows nothing that follows it
    EXPECT_EQ(rows(r.tracerules_grid1), (Rows{""}));
    // a repeated section adds its rules after the first one's
    EXPECT_EQ(rows(r.tracerules_grid2), (Rows{"ela=", "blocks="}));
    // the end of the file closes a section as [END] would
    EXPECT_EQ(rows(r.tracerules_grid6), (Rows{"packets sent", "packets received"}));
}

TEST(TraceRules, PsKeyLines) {
    TempDir dir;
    TraceRulesPage r;
    read_trace_rules(dir.file("tracerules.ini", "[OSW-PS]\nuser=1,8\nprocess=10,6\ncpu=20\n"
                                                "heading=zzz\nheading=USER  PID\n[END]\n"),
                     r);
    EXPECT_EQ(r.psuser_posb.text, "1");
    EXPECT_EQ(r.psuser_pose.text, "8");
    EXPECT_EQ(r.psproc_posb.text, "10");
    EXPECT_EQ(r.psproc_pose.text, "6");
    EXPECT_EQ(r.pscpu_posb.text, ""); // no comma: Start empty, Count the whole line
    EXPECT_EQ(r.pscpu_pose.text, "cpu=20");
    EXPECT_EQ(rows(r.tracerules_grid7), (Rows{"zzz", "USER  PID"}));

    TraceRulesPage none;
    read_trace_rules(dir.file("tracerules.ini", "[OSW-NETSTAT]\nx\n[END]\n"), none);
    EXPECT_EQ(none.psuser_posb.text, "1");
    EXPECT_EQ(none.tracerules_grid7.RowCount(), 2);
}

TEST(TraceRules, HeadingThatNamesAKeyActsAsThatKeyToo) {
    TempDir dir;
    TraceRulesPage r;
    read_trace_rules(dir.file("tracerules.ini", "[OSW-PS]\nheading=USER cpu=3,4\n[END]\n"), r);
    EXPECT_EQ(r.pscpu_posb.text, "USER cpu=3"); // first "=" before the first ","
    EXPECT_EQ(r.pscpu_pose.text, "4");
    EXPECT_EQ(rows(r.tracerules_grid7), (Rows{"USER cpu=3,4"}));
}
