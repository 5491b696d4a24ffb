#pragma once

// Builds compressed files and archives in memory for the tests, with the
// formats' own libraries, so that no test needs a fixture of binary data or
// an outside program.

#include "core/compression.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavro::testing {

// `content` as one stream of the given compression.
std::string compress(std::string_view content, Compression c);
// A gzip stream of `n` zero bytes, made a block at a time.
std::string gzip_of_zeros(std::uint64_t n);

struct Member {
    std::string path;
    std::string content;
    bool folder = false; // a folder entry (content unused)
};
enum class Packing { tar, zip };
// An archive of the members in the order given, paths written as they are
// (climbing ones included).
std::string pack(const std::vector<Member>& members, Packing packing);

} // namespace kavro::testing
