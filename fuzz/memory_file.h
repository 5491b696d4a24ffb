#pragma once

// An in-memory file the readers open by name, so each fuzz input costs no
// disk write.

#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace kavro::fuzz {

inline int memory_file() {
    static const int fd = ::memfd_create("kavro-fuzz", 0);
    return fd;
}

inline std::string memory_file_path() {
    return "/proc/self/fd/" + std::to_string(memory_file());
}

inline void write_memory_file(const std::uint8_t* data, std::size_t size) {
    const int fd = memory_file();
    if (::ftruncate(fd, 0) != 0) return;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

} // namespace kavro::fuzz
