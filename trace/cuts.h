#pragma once

// The tests and cuts that the line analyses of the trace scan share. Every
// cut returns a view into the line it was given, so a scan of millions of
// lines copies nothing until a result cell is written.

#include "core/string_table.h"

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
// The same, given `at` = Pos(identifier, line).
std::string_view event_name_at(std::string_view line, int at, std::string_view identifier,
                               std::string_view container);

// The 20 characters after the rule at `position`, trimmed on the left and
// ended before the first `separator` (a blank on wait lines, a comma on
// fetch lines).
std::string_view rule_value(std::string_view line, int position, std::string_view rule,
                            std::string_view separator);

// Everything after the first "tim=".
std::string_view line_time(std::string_view line);

// One line as the line analyses of the scan see it. The cuts they share are
// made once: each is worked out on first use and kept, the identifier test
// and event name for the last identifier and container asked for, the
// positions of the last few rules asked for. With the usual rules the three
// wait-line analyses share all of them, so a wait line is searched once for
// each text instead of once per analysis.
//
// A line read from its table cell keeps where its bytes lie, so that a cut
// of it is written into a result table as a reference to the line (ref()).
class LineCuts {
public:
    explicit LineCuts(std::string_view line) : line_(line), ref_(line) {}
    explicit LineCuts(const TextRef& line) : line_(line.text()), ref_(line) {}
    std::string_view text() const { return line_; }
    // A cut of this line (a view into text()) as a text to write into a cell.
    TextRef ref(std::string_view cut) const { return ref_.piece(cut); }

    bool passes_indicator(std::string_view indicator) const {
        return kavro::passes_indicator(line_, indicator);
    }
    bool passes_identifier(std::string_view identifier);
    int rule_position(std::string_view rule);
    std::string_view cursor_reference();
    std::string_view event_name(std::string_view identifier, std::string_view container);
    std::string_view line_time();

private:
    int identifier_position(std::string_view identifier);

    std::string_view line_;
    TextRef ref_;
    int identifier_pos_ = 0; // Pos(identifier_, line_)
    bool identifier_known_ = false;
    std::string_view identifier_;
    // The rules asked for so far, each with its position.
    static constexpr int kRules = 8;
    std::string_view rules_[kRules];
    int rule_positions_[kRules] = {};
    int rules_known_ = 0;
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
