// Compressed files on the four load buttons: a sample compressed in each
// supported way, under its plain name, loads and analyses exactly as the
// plain sample; a stream cut short or not what its first bytes promise ends
// the load with a message naming the file and keeps the lines before the
// damage after those already in the table.

#include "archives.h"
#include "window.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kavro::testing {
namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

constexpr Compression kAll[] = {Compression::gzip, Compression::bzip2, Compression::xz,
                                Compression::zstd};

class Compressed : public ::testing::TestWithParam<Page> {};

TEST_P(Compressed, SamplesLoadAndAnalyseAsThePlainOnes) {
    const Page page = GetParam();
    Window w;
    const PageInfo& p = page_info(page);
    const std::string sample = read_file(w.sample(page));
    for (Compression c : kAll) {
        // The plain sample's own name: only the content says it is packed.
        const std::string path =
            w.file(std::filesystem::path(p.sample).filename().string(), compress(sample, c));
        ASSERT_TRUE(w.clear(page)) << w.last_message();
        ASSERT_TRUE(w.load(page, path)) << compression_name(c) << ": " << w.last_message();
        ASSERT_TRUE(w.analyse(page)) << w.last_message();
        w.expect_unchanged(w.fresh, {p.file_edit});
    }
}

TEST_P(Compressed, ACutOrFalseStreamNamesTheFileAndKeepsWhatCameBefore) {
    const Page page = GetParam();
    Window w;
    const PageInfo& p = page_info(page);
    const StringTable& raw = *TForm1::find(w.form.tables, p.raw);
    // Long enough to cross the decoders' input blocks.
    std::string text;
    for (int i = 0; text.size() < (3u << 20); ++i)
        text += "zzz ***Mon Jun 6 10:00:" + std::to_string(i % 60) + " CDT 2016 line " +
                std::to_string(i * 7919 % 100003) + "\n";
    const std::vector<std::string> all = text_file_lines(text);
    struct Case {
        const char* name;
        std::string bytes;
        std::string says;
        bool lines_out; // lines come out before the damage is met
    };
    const std::string gz = compress(text, Compression::gzip);
    const Case cases[] = {
        {"cut short", gz.substr(0, gz.size() / 2), "its gzip data is cut short", true},
        {"xz magic, then text",
         std::string("\xfd"
                     "7zXZ\0",
                     6) +
             "zzz ***\n",
         "its xz data is damaged (corrupt data)", false},
    };
    for (const Case& c : cases) {
        const Digest before = digest(w.form);
        const std::vector<std::string> before_rows = column0(raw);
        const std::string path = w.file("oswps_16.06.06.1000.dat.gz", c.bytes);
        EXPECT_FALSE(w.load(page, path)) << c.name;
        EXPECT_EQ(w.last_message(), "\"" + path + "\": " + c.says) << c.name;
        const std::vector<std::string> rows = column0(raw);
        // The trace load starts from an empty table; the OSWatcher loads
        // keep what was there, their empty slot taking the first new line.
        std::vector<std::string> kept =
            page == Page::Trace ? std::vector<std::string>{""} : before_rows;
        if (!c.lines_out) {
            EXPECT_EQ(rows, kept) << c.name;
            continue;
        }
        if (!kept.empty() && kept.back().empty()) kept.pop_back();
        ASSERT_GT(rows.size(), kept.size() + all.size() / 4) << c.name;
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), rows.begin())) << c.name;
        // Then the file's lines in order, the last maybe cut, and the slot.
        for (std::size_t i = kept.size(); i + 2 < rows.size(); ++i)
            ASSERT_EQ(rows[i], all[i - kept.size()]) << c.name << " row " << i;
        EXPECT_EQ(rows.back(), "") << "the append slot";
        w.expect_unchanged(before, {p.raw, p.file_edit});
    }
    w.expect_page_works(page);
}

std::string page_name(const ::testing::TestParamInfo<Page>& info) {
    return page_info(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Robustness, Compressed, ::testing::ValuesIn(kPages), page_name);

} // namespace
} // namespace kavro::testing
