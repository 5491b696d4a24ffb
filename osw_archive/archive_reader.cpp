#include "osw_archive/archive_reader.h"

#include "core/compression.h"
#include "core/error.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <new>
#include <vector>

namespace kavro {

namespace {

namespace fs = std::filesystem;

// A path that would land outside the archive if it were unpacked: an
// absolute one, one with a drive, or one climbing with "..".
bool leads_out(std::string_view path) {
    if (path.empty() || path.front() == '/' || path.front() == '\\') return true;
    if (path.size() >= 2 && path[1] == ':') return true;
    std::size_t at = 0;
    while (at <= path.size()) {
        const auto end = path.find_first_of("/\\", at);
        const std::string_view part =
            path.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        if (part == "..") return true;
        if (end == std::string_view::npos) break;
        at = end + 1;
    }
    return false;
}

std::string read_head(ByteSource& source) {
    std::string head(kSniffBytes, '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const std::size_t more = source.read(head.data() + got, head.size() - got);
        if (more == 0) break;
        got += more;
    }
    head.resize(got);
    return head;
}

// The first bytes of the file's content, inflated when it is compressed.
std::string content_head(const std::string& path, Compression& compression) {
    auto raw = open_file_source(path);
    std::string head;
    // What was read to look at goes to the decompressor first; what was
    // only peeked at is read again.
    std::string read;
    if (!raw->peek(head, kSniffBytes)) read = head = read_head(*raw);
    compression = compression_of(head);
    if (compression == Compression::none) return head;
    auto inflated = inflating_source(std::move(raw), std::move(read), compression, path, false);
    return read_head(*inflated);
}

bool zero_block(std::string_view head) {
    return head.size() >= 512 &&
           std::all_of(head.begin(), head.begin() + 512, [](char c) { return c == '\0'; });
}

Container container_in(const std::string& path) {
    Compression compression = Compression::none;
    const std::string head = content_head(path, compression);
    const Container c = container_of(head);
    // An empty tar is its end blocks alone, zeros without a header's mark.
    return c == Container::none && zero_block(head) ? Container::tar : c;
}

} // namespace

bool is_archive(const std::string& path) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec) return false;
    if (fs::is_directory(st)) return true;
    if (!fs::is_regular_file(st)) return false;
    try {
        return container_in(path) != Container::none;
    } catch (const Error&) {
        // Unreadable, or a stream damaged at its start: the load that
        // follows tells what is wrong with it.
        return false;
    }
}

struct ArchiveReader::Feed {
    archive* a = nullptr;
    // Null when libarchive reads the file itself.
    std::unique_ptr<ByteSource> source;
    std::vector<char> block;
    // An error of the source, kept while libarchive's C code unwinds.
    std::exception_ptr error;

    std::uint64_t done() const {
        if (source) return source->progress_done();
        const la_int64_t n = archive_filter_bytes(a, -1);
        return n > 0 ? static_cast<std::uint64_t>(n) : 0;
    }
    void rethrow() {
        if (!error) return;
        std::exception_ptr e = error;
        error = nullptr;
        std::rethrow_exception(e);
    }
    static la_ssize_t read(archive* a, void* self_, const void** buffer) {
        auto* self = static_cast<Feed*>(self_);
        try {
            if (self->block.empty()) self->block.resize(std::size_t(1) << 20);
            const std::size_t got = self->source->read(self->block.data(), self->block.size());
            *buffer = self->block.data();
            return static_cast<la_ssize_t>(got);
        } catch (...) {
            self->error = std::current_exception();
            archive_set_error(a, EIO, "read failed");
            return -1;
        }
    }
};

namespace {

// One member's bytes, read from libarchive as they are asked for.
class MemberSource : public ByteSource {
public:
    MemberSource(ArchiveReader::Feed& feed, std::uint64_t total, std::string name,
                 std::int64_t declared)
        : feed_(feed), total_(total), name_(std::move(name)), guard_(name_),
          disk_start_(feed.done()) {
        if (declared > 0) guard_.check_declared(static_cast<std::uint64_t>(declared));
    }
    std::size_t read(char* to, std::size_t n) override {
        const la_ssize_t got = archive_read_data(feed_.a, to, n);
        if (got < 0) {
            feed_.rethrow();
            const char* detail = archive_error_string(feed_.a);
            throw Error("\"" + name_ + "\" is damaged or cut short" +
                        (detail && *detail ? std::string(" (") + detail + ")" : std::string()));
        }
        read_ += static_cast<std::uint64_t>(got);
        guard_.check(read_, feed_.done() - disk_start_);
        return static_cast<std::size_t>(got);
    }
    std::uint64_t progress_done() const override { return feed_.done(); }
    std::uint64_t progress_total() const override { return total_; }
    bool refused() const override { return guard_.refused(); }

private:
    ArchiveReader::Feed& feed_;
    std::uint64_t total_;
    std::string name_;
    InflateGuard guard_;
    std::uint64_t disk_start_;
    std::uint64_t read_ = 0;
};

} // namespace

ArchiveReader::ArchiveReader(const std::string& path) : path_(path) {
    std::error_code ec;
    try {
        if (!path.empty() && fs::is_directory(path, ec)) {
            open_folder();
        } else {
            open_file();
        }
    } catch (...) {
        // A constructor that throws gets no destructor: the handle a failed
        // open leaves behind is freed here.
        if (a_) archive_read_free(a_);
        a_ = nullptr;
        throw;
    }
}

ArchiveReader::~ArchiveReader() {
    if (a_) archive_read_free(a_);
}

void ArchiveReader::open_folder() {
    description_ = "folder";
    std::error_code ec;
    const fs::path root(path_);
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
    if (ec) throw Error("\"" + path_ + "\": " + ec.message());
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) throw Error("\"" + path_ + "\": " + ec.message());
        const fs::directory_entry& entry = *it;
        std::error_code kind;
        // Links are not followed: one could lead anywhere, or round in a
        // circle.
        if (entry.is_symlink(kind)) {
            ++skipped_;
        } else if (entry.is_regular_file(kind)) {
            folder_files_.push_back(entry.path().lexically_relative(root).generic_string());
        } else if (!entry.is_directory(kind)) {
            ++skipped_;
        }
    }
    std::sort(folder_files_.begin(), folder_files_.end());
}

void ArchiveReader::open_file() {
    Compression compression = Compression::none;
    const std::string head = content_head(path_, compression);
    Container container = container_of(head);
    if (container == Container::none && zero_block(head)) container = Container::tar;
    if (container == Container::none) {
        single_ = true;
        description_ = "file";
        return;
    }
    description_ = std::string(container_name(container)) + " archive";
    if (compression != Compression::none)
        description_ = std::string(compression_name(compression)) + "-compressed " + description_;

    a_ = archive_read_new();
    if (!a_) throw std::bad_alloc();
    // The formats only: compression is ours, so that a damaged stream is
    // told apart from a good one by its check sums.
    archive_read_support_format_tar(a_);
    archive_read_support_format_zip(a_);
    archive_read_support_format_empty(a_);
    feed_ = std::make_unique<Feed>();
    feed_->a = a_;
    int r;
    if (compression == Compression::none) {
        std::error_code ec;
        file_size_ = fs::file_size(path_, ec);
        if (ec) file_size_ = 0;
        // libarchive reads the file itself and seeks in it: past the
        // members it skips, and to a zip's central directory.
        r = archive_read_open_filename(a_, path_.c_str(), std::size_t(1) << 20);
    } else {
        feed_->source =
            inflating_source(open_file_source(path_), std::string(), compression, path_, false);
        file_size_ = feed_->source->progress_total();
        r = archive_read_open(a_, feed_.get(), nullptr, &Feed::read, nullptr);
    }
    if (r != ARCHIVE_OK) fail("cannot be opened");
}

void ArchiveReader::fail(const std::string& what) {
    feed_->rethrow();
    const char* detail = a_ ? archive_error_string(a_) : nullptr;
    throw Error("\"" + path_ + "\": the " + description_ + " " + what +
                (detail && *detail ? std::string(" (") + detail + ")" : std::string()));
}

bool ArchiveReader::next() {
    declared_ = -1;
    if (single_) {
        if (single_done_) return false;
        single_done_ = true;
        name_ = fs::path(path_).filename().string();
        return true;
    }
    if (!a_) {
        if (folder_next_ >= folder_files_.size()) return false;
        name_ = folder_files_[folder_next_++];
        return true;
    }
    for (;;) {
        archive_entry* entry = nullptr;
        const int r = archive_read_next_header(a_, &entry);
        if (r == ARCHIVE_EOF) return false;
        if (r == ARCHIVE_FAILED) {
            ++skipped_; // this member only; the others can still be read
            continue;
        }
        if (r < ARCHIVE_WARN) fail("is damaged or cut short");
        const mode_t type = archive_entry_filetype(entry);
        if (type == AE_IFDIR) continue;
        const char* name = archive_entry_pathname(entry);
        if (!name) name = archive_entry_pathname_utf8(entry);
        if (type != AE_IFREG || archive_entry_hardlink(entry) || !name || leads_out(name)) {
            ++skipped_;
            continue;
        }
        name_ = name;
        if (archive_entry_size_is_set(entry)) declared_ = archive_entry_size(entry);
        return true;
    }
}

std::unique_ptr<ByteSource> ArchiveReader::open() {
    if (single_) return open_file_source(path_);
    if (!a_) return open_file_source((fs::path(path_) / name_).string());
    return std::make_unique<MemberSource>(*feed_, file_size_, path_ + ": " + name_, declared_);
}

} // namespace kavro
