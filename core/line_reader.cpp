#include "core/line_reader.h"

#include "core/error.h"
#include "core/fast_text.h"
#include "core/progress.h"
#include "core/string_table.h"

#include <algorithm>
#include <cstring>
#include <sys/types.h>

namespace kavro {

namespace {
constexpr std::size_t kBlock = std::size_t(4) << 20;

void check_not_archive(std::string_view head, const std::string& name) {
    if (const Container c = container_of(head); c != Container::none)
        throw Error("\"" + name + "\" is a " + container_name(c) + " archive, not a text file");
}

// Reads until `n` bytes or the end; returns the bytes read.
std::string read_head(ByteSource& source, std::size_t n) {
    std::string head(n, '\0');
    std::size_t got = 0;
    while (got < n) {
        const std::size_t more = source.read(head.data() + got, n - got);
        if (more == 0) break;
        got += more;
    }
    head.resize(got);
    return head;
}
} // namespace

LineReader::LineReader(const std::string& path) : source_(open_file_source(path)) {
    start(path);
}

LineReader::LineReader(std::unique_ptr<ByteSource> source, std::string name)
    : source_(std::move(source)) {
    start(name);
}

LineReader::~LineReader() = default;

void LineReader::start(const std::string& name) {
    // The first bytes tell what the file holds. A plain regular file is
    // looked at without reading it, so its load reads it from the start
    // straight into the table as before.
    std::string head;
    if (source_->peek(head, kSniffBytes)) {
        compression_ = compression_of(head);
        if (compression_ == Compression::none) {
            check_not_archive(head, name);
            peeked_text_ = !head.empty() && head.front() != 26;
            set_block();
            return;
        }
        head = read_head(*source_, kSniffBytes);
    } else {
        head = read_head(*source_, kSniffBytes);
        compression_ = compression_of(head);
    }
    if (compression_ != Compression::none) {
        source_ = inflating_source(std::move(source_), std::move(head), compression_, name);
        head = read_head(*source_, kSniffBytes);
    }
    check_not_archive(head, name);
    // The bytes read to look at become bytes read ahead, as next() keeps
    // them.
    eof_ = head.size() < kSniffBytes;
    if (const std::size_t kept = before_end_of_file(head.data(), head.size()); kept < head.size()) {
        head.resize(kept);
        eof_ = true;
    }
    set_block();
    buf_.assign(head.begin(), head.end());
    end_ = buf_.size();
}

void LineReader::set_block() {
    // A small plain file gets a buffer of its own size, so reading many
    // small files does not clear megabytes each time.
    const std::uint64_t size = source_->progress_total();
    block_ = compression_ == Compression::none && size > 0 && size < kBlock
                 ? static_cast<std::size_t>(size) + 64
                 : kBlock;
}

bool LineReader::at_end() {
    if (begin_ < end_ || peeked_text_) return false;
    if (!eof_) fill();
    return begin_ == end_;
}

std::size_t LineReader::read_some(char* to, std::size_t n) {
    return source_->read(to, n);
}

bool LineReader::fill() {
    if (eof_) return false;
    // The buffer grows to its reading size on the first read, so a reader
    // that hands the whole file to append_to() never has one.
    if (buf_.size() < block_) buf_.resize(block_);
    // Move the unread tail to the front, growing the buffer when one line
    // fills it entirely.
    if (begin_ > 0) {
        std::memmove(buf_.data(), buf_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buf_.size()) buf_.resize(buf_.size() * 2);
    auto n = static_cast<ssize_t>(read_some(buf_.data() + end_, buf_.size() - end_));
    if (n == 0) {
        eof_ = true;
        return false;
    }
    const std::size_t kept = before_end_of_file(buf_.data() + end_, static_cast<std::size_t>(n));
    if (kept < static_cast<std::size_t>(n)) eof_ = true;
    end_ += kept;
    return kept > 0;
}

bool LineReader::next(std::string_view& line) {
    for (;;) {
        char* base = buf_.data();
        const std::size_t from = begin_ + scan_;
        void* nl = from < end_ ? std::memchr(base + from, '\n', end_ - from) : nullptr;
        std::size_t stop;
        std::size_t advance;
        if (nl) {
            stop = static_cast<std::size_t>(static_cast<char*>(nl) - base);
            advance = stop + 1;
        } else {
            scan_ = end_ - begin_;
            if (fill()) continue;
            if (!eof_) continue;
            if (begin_ == end_) return false;
            stop = end_;
            advance = end_;
        }
        char* first = base + begin_;
        const std::size_t len = drop_carriage_returns(first, stop - begin_);
        line = std::string_view(first, len);
        begin_ = advance;
        scan_ = 0;
        return true;
    }
}

std::uint64_t LineReader::append_to(StringTable& table, std::string_view what) {
    const int rows_before = table.RowCount();
    try {
        return append_all(table, what);
    } catch (const Error&) {
        // The lines of a refused file are no data (a bomb's zeros): they go,
        // and the table is as it was before.
        if (refused() && table.RowCount() > rows_before) {
            table.SetRowCount(rows_before);
            table.SetCell(0, rows_before - 1, {});
        }
        throw;
    }
}

std::uint64_t LineReader::append_all(StringTable& table, std::string_view what) {
    StringTable::LineLoader loader(table);
    std::uint64_t lines = 0;
    const auto count = [&](std::size_t n) {
        lines += n;
        // Where the source stands is asked once a block, not once a line.
        const std::uint64_t done = source_->progress_done();
        const std::uint64_t total = source_->progress_total();
        for (std::size_t i = 0; i < n; ++i) progress_step(done, total, what);
    };
    // What next() has read ahead goes first; a byte 26 in it has already
    // cut it short.
    if (begin_ < end_) {
        const std::size_t n = end_ - begin_;
        std::memcpy(loader.space(n).data(), buf_.data() + begin_, n);
        begin_ = end_ = scan_ = 0;
        count(loader.commit(n));
    }
    while (!eof_) {
        // The rest of a plain file of known size and one byte more, to see
        // its end, when that is less than a block: a small file is read into
        // room of its own size, an empty one into a byte. A file that has
        // grown past its size since it was opened (or a file of the
        // system's that gives its size as 0, or a pipe), and what a
        // compressed file inflates to, are read by whole blocks.
        const std::uint64_t size = source_->progress_total();
        const std::uint64_t done = source_->progress_done();
        const std::size_t want =
            compression_ == Compression::none && done <= size && size - done < kBlock
                ? static_cast<std::size_t>(size - done) + 1
                : 0;
        const std::span<char> room = loader.space(want);
        const std::size_t n = read_some(room.data(), std::min(room.size(), kBlock));
        if (n == 0) break;
        count(loader.commit(n));
        if (loader.stopped()) break;
    }
    eof_ = true;
    count(loader.finish() ? 1 : 0);
    return lines;
}

} // namespace kavro
