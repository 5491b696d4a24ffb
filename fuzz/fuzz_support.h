#pragma once

// Shared pieces of the fuzz targets: the input split into lines the way the
// line reader splits a file, and a form with recording desktop interfaces.

#include "app/form.h"
#include "core/string_table.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kavro::fuzz {

// Appends the input's lines to `table`, as a load of the same bytes would.
inline void append_lines(StringTable& table, const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    if (auto z = rest.find('\x1a'); z != std::string_view::npos) rest = rest.substr(0, z);
    std::string line;
    while (!rest.empty()) {
        const auto nl = rest.find('\n');
        std::string_view raw = rest.substr(0, nl);
        line.clear();
        for (char c : raw)
            if (c != '\r') line.push_back(c);
        table.AppendLine(line);
        if (nl == std::string_view::npos) break;
        rest.remove_prefix(nl + 1);
    }
}

// Caps lines so one input cannot make the analyses build texts of gigabytes
// in the fuzzer's memory limit; real files are not capped.
constexpr std::size_t kMaxInput = 1 << 16;

} // namespace kavro::fuzz
