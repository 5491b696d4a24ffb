#include "profile/wall_clock.h"

#include <cstdio>

namespace kavro::profile {

namespace {

std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civil_from_days(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

} // namespace

std::optional<WallTime> read_wall(std::string_view t) {
    const auto num = [&](std::size_t at, std::size_t n) -> std::optional<int> {
        if (at + n > t.size()) return std::nullopt;
        int v = 0;
        for (std::size_t i = at; i < at + n; ++i) {
            if (t[i] < '0' || t[i] > '9') return std::nullopt;
            v = v * 10 + (t[i] - '0');
        }
        return v;
    };
    WallTime w;
    std::size_t at = 0;
    if (t.size() >= 10 && t[4] == '-' && t[7] == '-') {
        const auto y = num(0, 4), mo = num(5, 2), d = num(8, 2);
        if (!y || !mo || !d || *mo < 1 || *mo > 12 || *d < 1 || *d > 31) return std::nullopt;
        w.has_date = true;
        w.days = days_from_civil(*y, static_cast<unsigned>(*mo), static_cast<unsigned>(*d));
        at = 10;
        if (at == t.size()) return w;
        if (t[at] != ' ' && t[at] != 'T') return std::nullopt;
        w.separator = t[at];
        ++at;
    }
    const auto h = num(at, 2), mi = num(at + 3, 2), s = num(at + 6, 2);
    if (!h || !mi || !s || t[at + 2] != ':' || t[at + 5] != ':' || *h > 23 || *mi > 59 || *s > 60)
        return std::nullopt;
    w.micros = ((*h * 60LL + *mi) * 60 + *s) * 1000000;
    at += 8;
    if (at < t.size() && t[at] == '.') {
        std::int64_t scale = 100000;
        for (++at; at < t.size() && t[at] >= '0' && t[at] <= '9'; ++at, scale /= 10)
            w.micros += (t[at] - '0') * scale;
    }
    if (at < t.size() && (t[at] == 'Z' || t[at] == '+' || t[at] == '-')) {
        std::size_t end = at + 1;
        while (end < t.size() && ((t[end] >= '0' && t[end] <= '9') || t[end] == ':')) ++end;
        w.zone = std::string(t.substr(at, end - at));
        at = end;
    }
    if (at != t.size()) return std::nullopt;
    return w;
}

std::string write_wall(const WallTime& base, std::int64_t micros) {
    constexpr std::int64_t kDay = 86400000000LL;
    std::int64_t total = base.micros + micros;
    std::int64_t days = base.days + total / kDay;
    total %= kDay;
    if (total < 0) {
        total += kDay;
        --days;
    }
    std::int64_t y = 0;
    unsigned m = 0, d = 0;
    civil_from_days(days, y, m, d);
    const std::int64_t secs = total / 1000000;
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u%c%02lld:%02lld:%02lld.%06lld",
                  static_cast<long long>(y), m, d, base.separator,
                  static_cast<long long>(secs / 3600), static_cast<long long>(secs / 60 % 60),
                  static_cast<long long>(secs % 60), static_cast<long long>(total % 1000000));
    std::string out = base.has_date ? buf : buf + 11;
    return out + base.zone;
}

} // namespace kavro::profile
