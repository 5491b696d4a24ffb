#pragma once

// Where the bytes of a load come from: a file on disk, the inflated content
// of a compressed file, or a member of an archive. LineReader splits what a
// source gives into lines; the source only hands over bytes in order.

#include <cstdint>
#include <memory>
#include <string>

namespace kavro {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `n` bytes into `to`; returns 0 only at the end. A failure
    // throws kavro::Error; what was returned before it stays valid.
    virtual std::size_t read(char* to, std::size_t n) = 0;
    // How far reading has come and how far it goes, in bytes of what lies on
    // disk (the compressed bytes of a compressed file, the archive's bytes
    // for one of its members), for progress. The total is 0 when unknown.
    virtual std::uint64_t progress_done() const = 0;
    virtual std::uint64_t progress_total() const = 0;
    // The first `n` bytes (fewer for a shorter file) without reading them,
    // when the source can look ahead (a regular file); false otherwise.
    virtual bool peek(std::string& head, std::size_t n) {
        (void)head;
        (void)n;
        return false;
    }
    // True once the source stopped a load whose bytes are no data worth
    // keeping (an archive bomb, see InflateGuard): the loader then takes
    // back the lines it appended.
    virtual bool refused() const { return false; }
};

// Opens a file for reading. Failures throw kavro::Error: "File not found"
// for a missing file (or an empty name), otherwise the system's own text; a
// folder is refused with the system's text for it.
std::unique_ptr<ByteSource> open_file_source(const std::string& path);

} // namespace kavro
