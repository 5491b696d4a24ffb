#pragma once

// Hash maps keyed by text that look up a std::string_view without building
// a std::string first: the hot loops of the analyses do one lookup a line.

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kavro {

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept {
        return std::hash<std::string_view>{}(s);
    }
};

template <class T>
using TextMap = std::unordered_map<std::string, T, TextHash, std::equal_to<>>;

} // namespace kavro
