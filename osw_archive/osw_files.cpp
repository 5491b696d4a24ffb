#include "osw_archive/osw_files.h"

#include <algorithm>

namespace kavro {

namespace {

std::string_view base_name(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

const char* osw_kind_name(OswKind kind) {
    switch (kind) {
    case OswKind::ps:
        return "ps";
    case OswKind::mpstat:
        return "mpstat";
    case OswKind::netstat:
        return "netstat";
    }
    return "";
}

std::optional<OswKind> osw_kind_of(std::string_view path) {
    // The folders, from the file's own outwards.
    std::string_view rest = path;
    if (const auto slash = rest.find_last_of("/\\"); slash != std::string_view::npos) {
        rest = rest.substr(0, slash);
        for (;;) {
            const auto cut = rest.find_last_of("/\\");
            const std::string_view folder =
                cut == std::string_view::npos ? rest : rest.substr(cut + 1);
            if (folder == "oswps") return OswKind::ps;
            if (folder == "oswmpstat") return OswKind::mpstat;
            if (folder == "oswnetstat") return OswKind::netstat;
            if (cut == std::string_view::npos) break;
            rest = rest.substr(0, cut);
        }
    }
    const std::string_view name = base_name(path);
    if (name.find("_ps_") != std::string_view::npos) return OswKind::ps;
    if (name.find("_mpstat_") != std::string_view::npos) return OswKind::mpstat;
    if (name.find("_netstat_") != std::string_view::npos) return OswKind::netstat;
    return std::nullopt;
}

std::optional<std::uint64_t> osw_name_time(std::string_view path) {
    // DD.DD.DD.DDDD, not part of a longer run of digits and points.
    const std::string_view name = base_name(path);
    constexpr std::string_view shape = "99.99.99.9999";
    for (std::size_t i = 0; i + shape.size() <= name.size(); ++i) {
        bool match = true;
        for (std::size_t k = 0; k < shape.size() && match; ++k)
            match = shape[k] == '.' ? name[i + k] == '.' : is_digit(name[i + k]);
        if (!match) continue;
        if (i > 0 && is_digit(name[i - 1])) continue;
        if (i + shape.size() < name.size() && is_digit(name[i + shape.size()])) continue;
        std::uint64_t t = 0;
        for (std::size_t k = 0; k < shape.size(); ++k)
            if (shape[k] != '.') t = t * 10 + static_cast<std::uint64_t>(name[i + k] - '0');
        return t;
    }
    return std::nullopt;
}

bool osw_order_less(std::string_view a, std::string_view b) {
    const auto ta = osw_name_time(a);
    const auto tb = osw_name_time(b);
    if (ta.has_value() != tb.has_value()) return ta.has_value();
    if (ta && *ta != *tb) return *ta < *tb;
    return a < b;
}

void sort_osw_order(std::vector<std::string>& paths) {
    std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        return osw_order_less(a, b);
    });
}

std::vector<std::string> split_file_field(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos || text[first] != '"') return {std::string(text)};
    std::vector<std::string> names;
    std::size_t at = first;
    while (at < text.size()) {
        if (text[at] == ' ') {
            ++at;
            continue;
        }
        if (text[at] != '"') return {std::string(text)}; // not a list after all
        const auto close = text.find('"', at + 1);
        if (close == std::string_view::npos) return {std::string(text)};
        if (close > at + 1) names.emplace_back(text.substr(at + 1, close - at - 1));
        at = close + 1;
    }
    return names;
}

std::string join_file_field(const std::vector<std::string>& names) {
    if (names.size() == 1) return names.front();
    std::string text;
    for (const std::string& name : names) {
        if (!text.empty()) text += ' ';
        text += '"' + name + '"';
    }
    return text;
}

} // namespace kavro
