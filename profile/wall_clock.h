#pragma once

// Wall-clock texts of a trace ("2014-08-09 18:35:23.373",
// "2019-07-09T09:57:07.703476-07:00") read into days and microseconds and
// written back, so a tim can be shown as the time of day it was and a
// window given as a time of day.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavro::profile {

struct WallTime {
    bool has_date = false;
    std::int64_t days = 0;   // since 1970-01-01
    std::int64_t micros = 0; // of the day
    char separator = ' ';    // between date and time, as written
    std::string zone;        // as written ("-07:00", "Z"), maybe empty
};

// "yyyy-mm-dd[ T]hh:mm:ss[.frac][zone]" or "hh:mm:ss[.frac]".
std::optional<WallTime> read_wall(std::string_view text);

// `base` moved by `micros`, written in the same style (date separator and
// zone), with six decimals.
std::string write_wall(const WallTime& base, std::int64_t micros);

} // namespace kavro::profile
