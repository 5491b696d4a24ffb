// Files that end while a load reads them: a pipe whose writer stops in the
// middle of a line, and a file that is cut short between two of the
// reader's blocks. The load keeps the lines it got, the last one as far as
// it came, and the window goes on.

#include "core/progress.h"
#include "window.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace kavro::testing {
namespace {

std::string page_name(const ::testing::TestParamInfo<Page>& info) {
    return page_info(info.param).name;
}

class Fifo : public ::testing::TestWithParam<Page> {};

TEST_P(Fifo, KeepsWhatTheWriterWroteUpToItsLastByte) {
    const Page page = GetParam();
    Window w;
    const PageInfo& p = page_info(page);
    const StringTable& raw = *TForm1::find(w.form.tables, p.raw);
    const std::vector<std::string> before_rows = column0(raw);
    const Digest before = digest(w.form);

    const std::string path = (w.dir.path() / "archive.pipe").string();
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    std::thread writer([&] {
        const int fd = ::open(path.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        for (const char* part : {"one\r\ntwo\n", "thr"})
            ASSERT_EQ(::write(fd, part, std::strlen(part)),
                      static_cast<ssize_t>(std::strlen(part)));
        ::close(fd);
    });
    const bool ok = w.load(page, path);
    // Should the load not have opened the pipe, the writer would wait for
    // a reader for ever: give it one.
    const int unblock = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    writer.join();
    if (unblock >= 0) ::close(unblock);

    EXPECT_TRUE(ok) << w.last_message();
    EXPECT_EQ(column0(raw), rows_after_load(page, before_rows, {"one", "two", "thr"}));
    w.expect_unchanged(before, {p.raw, p.file_edit});
    w.expect_page_works(page);
}

INSTANTIATE_TEST_SUITE_P(Robustness, Fifo, ::testing::ValuesIn(kPages), page_name);

// Where the load's descriptor of `path` stands: the bytes it has read.
off_t read_position(const std::string& path) {
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (std::filesystem::read_symlink(fd.path(), ec) != path) continue;
        std::ifstream info("/proc/self/fdinfo/" + fd.path().filename().string());
        std::string key;
        long long pos = 0;
        if (info >> key >> pos && key == "pos:") return static_cast<off_t>(pos);
    }
    return -1;
}

// The first time the load reports progress, that is once it has read a
// block and appended lines from it, cuts the file in the middle of a line a
// little past what the load has read so far.
class CutOnFirstProgress : public ProgressSink {
public:
    explicit CutOnFirstProgress(std::string path) : path_(std::move(path)) {}
    void progress(std::uint64_t, std::uint64_t, std::string_view) override {
        if (cut_at_ >= 0) return;
        const off_t read = read_position(path_);
        ASSERT_GE(read, 0) << "the load has no descriptor of the file";
        cut_at_ = (read / 64 + 4096) * 64 + 30;
        struct stat st {};
        ASSERT_EQ(::stat(path_.c_str(), &st), 0);
        if (cut_at_ < st.st_size) {
            ASSERT_EQ(::truncate(path_.c_str(), cut_at_), 0);
        }
    }
    off_t cut_at() const { return cut_at_; }

private:
    std::string path_;
    off_t cut_at_ = -1;
};

class Shortened : public ::testing::TestWithParam<Page> {};

// The loads that report progress: the sink is where the file can be cut at a
// known point of the load.
TEST_P(Shortened, KeepsTheLinesUpToTheCut) {
    const Page page = GetParam();
    Window w;
    const PageInfo& p = page_info(page);
    const StringTable& raw = *TForm1::find(w.form.tables, p.raw);
    const std::vector<std::string> before_rows = column0(raw);
    const Digest before = digest(w.form);

    // 16 MiB of 64-byte lines, more than the reader takes in one block.
    std::vector<std::string> lines;
    std::string content;
    for (int i = 0; content.size() < (std::size_t(16) << 20); ++i) {
        char head[24];
        std::snprintf(head, sizeof head, "line %07d ", i);
        lines.push_back(head + std::string(63 - std::strlen(head), 'x'));
        content += lines.back() + "\n";
    }
    const std::string path = std::filesystem::canonical(w.file("growing.dat", content)).string();
    CutOnFirstProgress cutter(path);
    w.form.progress = &cutter;
    const bool ok = w.load(page, path);
    w.form.progress = nullptr;

    EXPECT_TRUE(ok) << w.last_message();
    const off_t cut_at = cutter.cut_at();
    ASSERT_GT(cut_at, 0);
    ASSERT_LT(static_cast<std::size_t>(cut_at), content.size()) << "the load read the file whole";
    std::vector<std::string> got = column0(raw);
    // The rows the page held before this file's lines.
    const std::size_t kept = rows_after_load(page, before_rows, {"x"}).size() - 2;
    got.erase(got.begin(), got.begin() + static_cast<long>(kept));
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back(), "") << "the load ends with its empty slot";
    got.pop_back();
    // Every line read whole, then the line the cut went through as far as
    // the file then reached.
    const std::size_t whole = static_cast<std::size_t>(cut_at) / 64;
    ASSERT_EQ(got.size(), whole + 1);
    for (std::size_t i = 0; i < whole; ++i) ASSERT_EQ(got[i], lines[i]) << "line " << i;
    EXPECT_EQ(got.back(), lines[whole].substr(0, static_cast<std::size_t>(cut_at) % 64));

    w.expect_unchanged(before, {p.raw, p.file_edit});
    w.expect_page_works(page);
}

INSTANTIATE_TEST_SUITE_P(Robustness, Shortened, ::testing::Values(Page::Trace, Page::Ps),
                         page_name);

} // namespace
} // namespace kavro::testing
