#pragma once

// kavro-cli drives the same TForm1 as the window, through the names of the
// window's controls. The Qt program takes the same steps (and a screenshot
// option), so both share the parsing here.

#include "app/form.h"

#include <iostream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kavro {

struct CliStep {
    std::string kind; // set, pick, click, track, tab, osw
    std::string name;
    std::string value;
};

struct CliOptions {
    std::optional<std::string> directory;
    std::optional<std::string> export_names;
    std::string out_dir = ".";
    std::vector<CliStep> steps;
    bool shorthand = false;
    std::optional<std::string> screenshot; // the window only
    std::optional<std::string> timings;    // per-step times into this file
};

// Parses the command line; returns -1 when the steps are to run, otherwise
// the exit code to end with at once (0 after --help, 2 for a bad line).
int parse_cli(const std::vector<std::string>& args, CliOptions& options, std::ostream& out,
              std::ostream& err, bool window = false);

// Changes to the -C folder; false (with a message on err) when it fails.
bool enter_directory(const CliOptions& options, std::ostream& err);

// Runs the steps in order as the user's own actions; stops at the first one
// that ends in an error and returns false.
// A step may print (the osw shorthand's summary) to `out`.
bool run_steps(TForm1& form, const std::vector<CliStep>& steps, std::ostream& out = std::cout);

// kavro-cli [-C DIR] [SHORTHAND FILE] STEP... [--export NAMES] [--out DIR]
// Returns the process exit code: 0, 1 when a step ended in an error (after
// the export), 2 for a malformed command line.
int run_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace kavro
