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
    for (auto at = line.find(rule, 1); at != std::string_view::npos; at = line.find(rule, at + 1))
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
    std::string_view e = Copy(
        line, static_cast<long long>(Pos(identifier, line)) + Length(identifier), Length(line));
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

bool LineCuts::passes_identifier(std::string_view identifier) {
    if (!identifier_known_ || identifier != identifier_) {
        has_identifier_ = kavro::passes_identifier(line_, identifier);
        identifier_ = identifier;
        identifier_known_ = true;
    }
    return has_identifier_;
}

int LineCuts::rule_position(std::string_view rule) {
    if (!rule_known_ || rule != rule_) {
        rule_position_ = kavro::rule_position(rule, line_);
        rule_ = rule;
        rule_known_ = true;
    }
    return rule_position_;
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
        event_ = kavro::event_name(line_, identifier, container);
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
