#include "core/error.h"

#include <algorithm>

namespace kavro {

std::string quoted_message(std::string_view before, std::string_view quoted,
                           std::string_view after) {
    constexpr std::size_t limit = 200;
    const std::size_t full = before.size() + quoted.size() + after.size();
    std::string text;
    text.reserve(std::min(full, limit) + 3);
    for (std::string_view part : {before, quoted, after}) {
        const std::size_t room = limit - std::min(limit, text.size());
        text.append(part.data(), std::min(room, part.size()));
    }
    if (full > limit) text.append("...");
    // The message travels as a C string (what(), the message box), which a
    // NUL byte of the file would end halfway: it shows as "?" instead.
    std::replace(text.begin(), text.end(), '\0', '?');
    return text;
}

} // namespace kavro
