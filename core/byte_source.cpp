#include "core/byte_source.h"

#include "core/error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavro {

namespace {

[[noreturn]] void throw_system(int err) {
    if (err == ENOENT) throw Error("File not found");
    throw Error(std::strerror(err));
}

class FileSource : public ByteSource {
public:
    explicit FileSource(const std::string& path) {
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
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    ~FileSource() override {
        ::close(fd_);
    }

    std::size_t read(char* to, std::size_t n) override {
        ssize_t got;
        do {
            got = ::read(fd_, to, n);
        } while (got < 0 && errno == EINTR);
        if (got < 0) throw_system(errno);
        done_ += static_cast<std::uint64_t>(got);
        return static_cast<std::size_t>(got);
    }
    bool peek(std::string& head, std::size_t n) override {
        if (size_ == 0 || done_ != 0) return false;
        head.resize(n);
        std::size_t got = 0;
        while (got < n) {
            const ssize_t more = ::pread(fd_, head.data() + got, n - got, static_cast<off_t>(got));
            if (more < 0 && errno == EINTR) continue;
            if (more <= 0) break;
            got += static_cast<std::size_t>(more);
        }
        head.resize(got);
        return true;
    }
    std::uint64_t progress_done() const override {
        return done_;
    }
    std::uint64_t progress_total() const override {
        return size_;
    }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t done_ = 0;
};

} // namespace

std::unique_ptr<ByteSource> open_file_source(const std::string& path) {
    return std::make_unique<FileSource>(path);
}

} // namespace kavro
