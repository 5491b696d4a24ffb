#pragma once

// kavro-cli summary: loads and analyses files as their pages' buttons do and
// prints a short text of what is in them, for a first look without the
// window.

#include <ostream>
#include <string>
#include <vector>

namespace kavro {

extern const char* kSummaryUsage;

// args: KIND FILE pairs (KIND is trace, ps, mpstat or netstat). Returns the
// exit code: 0, 1 when a file could not be read or analysed, 2 for a bad
// command line.
int run_summary(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace kavro
