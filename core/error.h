#pragma once

#include <stdexcept>
#include <string>

namespace kavro {

// The one error type of the program. Its what() is exactly the text the user
// sees in the message box; a handler that throws stops where it is.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& text) : std::runtime_error(text) {}
};

// Builds a message that quotes file content. The quoted text is joined in,
// never used as a format, and a message past 200 characters is cut there with
// "..." so a 100 MB line cannot turn into a 100 MB message box. A NUL byte
// of the quoted text shows as "?", so the message does not end at it.
std::string quoted_message(std::string_view before, std::string_view quoted,
                           std::string_view after);

} // namespace kavro
