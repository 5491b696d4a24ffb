// The line reader on arbitrary bytes: the lines it gives must be the bytes
// of the file split at line feeds, without carriage returns, up to byte 26.
#include "core/line_reader.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/kavro-fuzz-lines-" + std::to_string(::getpid());
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    std::string expected(reinterpret_cast<const char*>(data), size);
    if (auto z = expected.find('\x1a'); z != std::string::npos) expected.resize(z);
    std::string joined;
    std::size_t lines = 0;
    kavro::for_each_line(path, [&](std::string_view line) {
        joined.append(line);
        joined.push_back('\n');
        ++lines;
    });
    std::string want;
    for (char c : expected)
        if (c != '\r') want.push_back(c);
    if (!want.empty() && want.back() != '\n') want.push_back('\n');
    if (joined != want) std::abort();
    return 0;
}
