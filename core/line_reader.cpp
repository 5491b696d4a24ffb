#include "core/line_reader.h"

#include "core/error.h"
#include "core/progress.h"
#include "core/string_table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavro {

namespace {
constexpr std::size_t kBlock = std::size_t(4) << 20;

[[noreturn]] void throw_system(int err) {
    if (err == ENOENT) throw Error("File not found");
    throw Error(std::strerror(err));
}
} // namespace

LineReader::LineReader(const std::string& path) {
    if (path.empty()) throw Error("File not found");
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw_system(errno);
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const int err = errno;
        ::close(fd_);
        throw_system(err);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd_);
        throw_system(EISDIR);
    }
    if (S_ISREG(st.st_mode)) size_ = static_cast<std::uint64_t>(st.st_size);
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

LineReader::~LineReader() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t LineReader::read_some(char* to, std::size_t n) {
    ssize_t got;
    do {
        got = ::read(fd_, to, n);
    } while (got < 0 && errno == EINTR);
    if (got < 0) throw_system(errno);
    return static_cast<std::size_t>(got);
}

bool LineReader::fill() {
    if (eof_) return false;
    // The buffer is made on the first read, so a reader that hands the
    // whole file to append_to() never has one. A small file gets a buffer
    // of its own size, so reading many small files does not clear megabytes
    // each time.
    if (buf_.empty())
        buf_.resize(size_ > 0 && size_ < kBlock ? static_cast<std::size_t>(size_) + 64 : kBlock);
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
    char* fresh = buf_.data() + end_;
    if (void* stop = std::memchr(fresh, 26, static_cast<std::size_t>(n))) {
        n = static_cast<char*>(stop) - fresh;
        eof_ = true;
    }
    end_ += static_cast<std::size_t>(n);
    return n > 0;
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
        std::size_t len = stop - begin_;
        if (std::memchr(first, '\r', len)) {
            char* out = first;
            for (std::size_t i = 0; i < len; ++i)
                if (first[i] != '\r') *out++ = first[i];
            len = static_cast<std::size_t>(out - first);
        }
        consumed_ += advance - begin_;
        line = std::string_view(first, len);
        begin_ = advance;
        scan_ = 0;
        return true;
    }
}

std::uint64_t LineReader::append_to(StringTable& table, std::string_view what) {
    StringTable::LineLoader loader(table);
    std::uint64_t lines = 0;
    const auto count = [&](std::size_t n) {
        lines += n;
        for (std::size_t i = 0; i < n; ++i) progress_step(consumed_, size_, what);
    };
    // What next() has read ahead goes first; a byte 26 in it has already
    // cut it short.
    if (begin_ < end_) {
        const std::size_t n = end_ - begin_;
        std::memcpy(loader.space(n).data(), buf_.data() + begin_, n);
        consumed_ += n;
        begin_ = end_ = scan_ = 0;
        count(loader.commit(n));
    }
    while (!eof_) {
        const std::span<char> room = loader.space();
        const std::size_t n = read_some(room.data(), std::min(room.size(), kBlock));
        if (n == 0) break;
        consumed_ += n;
        count(loader.commit(n));
        if (loader.stopped()) break;
    }
    eof_ = true;
    count(loader.finish() ? 1 : 0);
    return lines;
}

} // namespace kavro
