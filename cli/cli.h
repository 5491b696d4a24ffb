#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kavro {

// kavro-cli [-C DIR] [SHORTHAND FILE] STEP... [--export NAMES] [--out DIR]
// Returns the process exit code: 0, 1 when a step ended in an error (after
// the export), 2 for a malformed command line.
int run_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace kavro
