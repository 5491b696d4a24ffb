// The line reader on arbitrary bytes. A plain file's lines must be its
// bytes split at line feeds, without carriage returns, up to byte 26. A
// compressed one is inflated and its lines read the same way; a file the
// reader refuses (an archive, a broken or endless compressed stream) ends
// with an error, never a crash.
#include "core/error.h"
#include "core/line_reader.h"

#include "fuzz/memory_file.h"
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = kavro::fuzz::memory_file_path();
    kavro::fuzz::write_memory_file(data, size);
    std::string joined;
    kavro::Compression compression = kavro::Compression::none;
    try {
        kavro::LineReader reader(path);
        compression = reader.compression();
        std::string_view line;
        while (reader.next(line)) {
            joined.append(line);
            joined.push_back('\n');
        }
    } catch (const kavro::Error&) {
        return 0;
    }
    if (compression != kavro::Compression::none) return 0;
    std::string expected(reinterpret_cast<const char*>(data), size);
    if (auto z = expected.find('\x1a'); z != std::string::npos) expected.resize(z);
    // A last line without a line feed still counts, even when all it holds
    // is carriage returns, which are then dropped.
    if (!expected.empty() && expected.back() != '\n') expected.push_back('\n');
    std::string want;
    for (char c : expected)
        if (c != '\r') want.push_back(c);
    if (joined != want) std::abort();
    return 0;
}
