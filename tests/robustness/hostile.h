#pragma once

// The bad inputs the tests feed every reader: generated here, so the
// repository holds no binary fixtures and each input shows its shape.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavro::testing {

// `size` pseudo-random bytes of every value, the same on every run.
inline std::string binary_bytes(std::size_t size, bool with_ctrl_z) {
    std::string out(size, '\0');
    std::uint32_t x = 0x2545F491u;
    for (char& c : out) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
        if (!with_ctrl_z && c == '\x1a') c = '\x1b';
    }
    return out;
}

// `text` (ASCII) as UTF-16 little-endian with its byte-order mark, as some
// Windows editors save a file.
inline std::string utf16le(std::string_view text) {
    std::string out = "\xFF\xFE";
    for (char c : text) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

// Lines joined with `end` after each one.
inline std::string joined(const std::vector<std::string>& lines, std::string_view end = "\n") {
    std::string out;
    for (const auto& l : lines) {
        out += l;
        out += end;
    }
    return out;
}

// Lines ended by a carriage return and line feed and by a line feed alone,
// in turn.
inline std::string mixed_line_ends(const std::vector<std::string>& lines) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) out += lines[i] + (i % 2 ? "\n" : "\r\n");
    return out;
}

// Every occurrence of `what` in `text` removed.
inline std::string without(std::string text, std::string_view what) {
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at))
        text.erase(at, what.size());
    return text;
}

} // namespace kavro::testing
