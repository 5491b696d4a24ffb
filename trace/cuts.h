#pragma once

// The tests and cuts that the line analyses of the trace scan share. Every
// cut returns a view into the line it was given, so a scan of millions of
// lines copies nothing until a result cell is written.

#include <string_view>

namespace kavro {

// The line begins with the indicator; an empty indicator never passes, which
// is how the user switches one line analysis off.
bool passes_indicator(std::string_view line, std::string_view indicator);

// The identifier occurs anywhere in the line; an empty one never passes.
bool passes_identifier(std::string_view line, std::string_view identifier);

// Position (from 1) of the first occurrence of the rule that starts a field
// of the line: the character before it is not a letter, a digit or "_". An
// occurrence at the very start of the line never counts, and 0 means the rule
// does not match. Requiring a field start keeps r= from reading the 7 of cr=7.
int rule_position(std::string_view rule, std::string_view line);

// From the first "#" through the first ":" ("#3:").
std::string_view cursor_reference(std::string_view line);

// The rest of the line after the identifier, cut after the first container
// character and before the next container occurrence: the text between the
// quotes of nam='...'.
std::string_view event_name(std::string_view line, std::string_view identifier,
                            std::string_view container);

// The 20 characters after the rule at `position`, trimmed on the left and
// ended before the first `separator` (a blank on wait lines, a comma on
// fetch lines).
std::string_view rule_value(std::string_view line, int position, std::string_view rule,
                            std::string_view separator);

// Everything after the first "tim=".
std::string_view line_time(std::string_view line);

// One line as the line analyses of the scan see it. The cuts they share are
// made once: each is worked out on first use and kept, the identifier test,
// event name and rule position for the last identifier, container or rule
// asked for. With the usual rules the three wait-line analyses share all
// three, so a wait line is searched once for them instead of three times.
class LineCuts {
public:
    explicit LineCuts(std::string_view line) : line_(line) {}
    std::string_view text() const { return line_; }

    bool passes_indicator(std::string_view indicator) const {
        return kavro::passes_indicator(line_, indicator);
    }
    bool passes_identifier(std::string_view identifier);
    int rule_position(std::string_view rule);
    std::string_view cursor_reference();
    std::string_view event_name(std::string_view identifier, std::string_view container);
    std::string_view line_time();

private:
    std::string_view line_;
    bool has_identifier_ = false, identifier_known_ = false;
    std::string_view identifier_;
    int rule_position_ = 0;
    bool rule_known_ = false;
    std::string_view rule_;
    std::string_view cursor_;
    bool cursor_known_ = false;
    std::string_view event_, event_identifier_, event_container_;
    bool event_known_ = false;
    std::string_view time_;
    bool time_known_ = false;
};

// What is left of `text` once its first n characters are deleted; n of 0 or
// less leaves it whole.
std::string_view drop_front(std::string_view text, long long n);

// `text` cut before position p (from 1); a p of 0, meaning "not found",
// leaves it whole.
std::string_view cut_before(std::string_view text, int p);

} // namespace kavro
