#include "core/error.h"

namespace kavro {

std::string quoted_message(std::string_view before, std::string_view quoted,
                           std::string_view after) {
    constexpr std::size_t limit = 200;
    std::string text;
    const std::size_t full = before.size() + quoted.size() + after.size();
    text.reserve(full < limit ? full : limit + 3);
    text.append(before);
    if (text.size() + quoted.size() > limit) {
        text.append(quoted.substr(0, limit - text.size()));
    } else {
        text.append(quoted);
    }
    if (text.size() + after.size() > limit) {
        text.append(after.substr(0, limit > text.size() ? limit - text.size() : 0));
    } else {
        text.append(after);
    }
    if (full > limit) text.append("...");
    return text;
}

} // namespace kavro
