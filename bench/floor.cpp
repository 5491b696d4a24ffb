// The least any loader must do: read the whole file into memory in large
// blocks and find its line ends with memchr. Every load and analysis figure
// of the benchmarks is a ratio to this, measured in the same run.
//   floor FILE   -> prints the line count

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: floor FILE\n");
        return 2;
    }
    const int fd = ::open(argv[1], O_RDONLY);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    std::unique_ptr<char[]> data(new char[size + 1]);
    std::size_t have = 0;
    constexpr std::size_t block = std::size_t(4) << 20;
    while (have < size) {
        const ssize_t n = ::read(fd, data.get() + have, std::min(block, size - have));
        if (n <= 0) break;
        have += static_cast<std::size_t>(n);
    }
    ::close(fd);
    std::size_t lines = 0;
    const char* p = data.get();
    const char* end = p + have;
    while (p < end) {
        const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        if (!nl) {
            ++lines;
            break;
        }
        ++lines;
        p = static_cast<const char*>(nl) + 1;
    }
    std::printf("%zu\n", lines);
    return 0;
}
