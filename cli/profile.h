#pragma once

// kavro-cli profile FILE [--json OUT] [--top N] [--from T] [--to T]: the
// response-time profile of a trace, read as a stream.

#include <ostream>
#include <string>
#include <vector>

namespace kavro {

// `args` without the word "profile". Returns the exit code: 0, 1 when the
// file cannot be read or the JSON not written, 2 for a bad command line.
int run_profile_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace kavro
