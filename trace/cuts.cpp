#include "trace/cuts.h"

#include "core/text.h"

namespace kavro {

namespace {
bool is_word_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
} // namespace

bool passes_indicator(std::string_view line, std::string_view indicator) {
    return BeginsWith(line, indicator);
}

bool passes_identifier(std::string_view line, std::string_view identifier) {
    return Contains(line, identifier);
}

int rule_position(std::string_view rule, std::string_view line) {
    if (rule.empty()) return 0;
    // The search starts at the second character: an occurrence at the start
    // of the line never counts.
    for (auto at = find_text(line, rule, 1); at != std::string_view::npos;
         at = find_text(line, rule, at + 1))
        if (!is_word_char(line[at - 1])) return static_cast<int>(at) + 1;
    return 0;
}

std::string_view cursor_reference(std::string_view line) {
    const int h = Pos("#", line);
    const int c = Pos(":", line);
    return Copy(line, h, c - h + 1);
}

std::string_view drop_front(std::string_view text, long long n) {
    if (n <= 0) return text;
    return Copy(text, n + 1, Length(text));
}

std::string_view cut_before(std::string_view text, int p) {
    if (p < 1) return text;
    return Copy(text, 1, p - 1);
}

std::string_view event_name(std::string_view line, std::string_view identifier,
                            std::string_view container) {
    return event_name_at(line, Pos(identifier, line), identifier, container);
}

std::string_view event_name_at(std::string_view line, int at, std::string_view identifier,
                               std::string_view container) {
    std::string_view e = Copy(line, static_cast<long long>(at) + Length(identifier), Length(line));
    // Through the first character of the first container occurrence, then up
    // to the next occurrence.
    e = drop_front(e, Pos(container, e));
    return cut_before(e, Pos(container, e));
}

std::string_view rule_value(std::string_view line, int position, std::string_view rule,
                            std::string_view separator) {
    std::string_view v = TrimLeft(Copy(line, static_cast<long long>(position) + Length(rule), 20));
    return cut_before(v, Pos(separator, v));
}

std::string_view line_time(std::string_view line) {
    return Copy(line, static_cast<long long>(Pos("tim=", line)) + 4, Length(line));
}

int LineCuts::identifier_position(std::string_view identifier) {
    if (!identifier_known_ || identifier != identifier_) {
        // As passes_identifier and event_name would each find it.
        identifier_pos_ = identifier.empty() ? 0 : Pos(identifier, line_);
        identifier_ = identifier;
        identifier_known_ = true;
    }
    return identifier_pos_;
}

bool LineCuts::passes_identifier(std::string_view identifier) {
    return identifier_position(identifier) > 0;
}

int LineCuts::rule_position(std::string_view rule) {
    for (int i = 0; i < rules_known_; ++i)
        if (rules_[i] == rule) return rule_positions_[i];
    const int p = kavro::rule_position(rule, line_);
    // Past the last slot the oldest rule makes room; the usual rules are
    // far fewer.
    const int slot = rules_known_ < kRules ? rules_known_++ : 0;
    rules_[slot] = rule;
    rule_positions_[slot] = p;
    return p;
}

std::string_view LineCuts::cursor_reference() {
    if (!cursor_known_) {
        cursor_ = kavro::cursor_reference(line_);
        cursor_known_ = true;
    }
    return cursor_;
}

std::string_view LineCuts::event_name(std::string_view identifier, std::string_view container) {
    if (!event_known_ || identifier != event_identifier_ || container != event_container_) {
        event_ = event_name_at(line_, identifier_position(identifier), identifier, container);
        event_identifier_ = identifier;
        event_container_ = container;
        event_known_ = true;
    }
    return event_;
}

std::string_view LineCuts::line_time() {
    if (!time_known_) {
        time_ = kavro::line_time(line_);
        time_known_ = true;
    }
    return time_;
}

} // namespace kavro
