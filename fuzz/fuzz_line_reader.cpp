// The line reader on arbitrary bytes: the lines it gives must be the bytes
// of the file split at line feeds, without carriage returns, up to byte 26.
#include "core/line_reader.h"

#include "fuzz/memory_file.h"
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = kavro::fuzz::memory_file_path();
    kavro::fuzz::write_memory_file(data, size);
    std::string expected(reinterpret_cast<const char*>(data), size);
    if (auto z = expected.find('\x1a'); z != std::string::npos) expected.resize(z);
    std::string joined;
    std::size_t lines = 0;
    kavro::for_each_line(path, [&](std::string_view line) {
        joined.append(line);
        joined.push_back('\n');
        ++lines;
    });
    // A last line without a line feed still counts, even when all it holds
    // is carriage returns, which are then dropped.
    if (!expected.empty() && expected.back() != '\n') expected.push_back('\n');
    std::string want;
    for (char c : expected)
        if (c != '\r') want.push_back(c);
    if (joined != want) std::abort();
    return 0;
}
