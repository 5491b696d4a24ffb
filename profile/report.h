#pragma once

// The profile written out: as JSON (integers as integers, absent values as
// null, keys in the documented order) and as the text report kavro-cli
// prints. Times in the text are seconds and milliseconds, never raw
// microsecond counts.

#include "profile/profile.h"

#include <ostream>
#include <string>

namespace kavro::profile {

std::string to_json(const Profile& p);

struct ReportOptions {
    std::size_t top = 10;       // statements shown in full
    std::size_t text_lines = 3; // lines of each statement's text
};
void write_report(std::ostream& out, const Profile& p, const ReportOptions& options = {});

// 1.234 s, 12.345 ms, 0.004 ms: what a DBA reads at a glance.
std::string format_time(std::int64_t micros);
// Seconds with six decimals, for columns of figures.
std::string format_seconds(std::int64_t micros);
// The wall-clock time of a tim, from the clock pair; empty without one.
std::string wall_time(const Profile& p, std::int64_t tim);

} // namespace kavro::profile
