#pragma once

// Per-step times of a run of kavro-cli or the window (--timings FILE), so
// that a benchmark can set the window's steps beside the command-line
// tool's. One line a step, tab-separated: the step as written on the
// command line, its milliseconds of wall clock and of CPU (the process's,
// which a busy machine moves far less) and, from the window only, the
// longest time it left the window without taking events and without a
// progress dialog on screen, and the longest without taking events at all.

#include "cli/cli.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kavro {

struct StepTiming {
    std::string step;
    double ms = 0;
    double cpu_ms = 0;
    std::optional<double> frozen_without_dialog_ms; // the window's
    std::optional<double> frozen_ms;
};

// "--click Button2", "--set SQLIdList=t.trc".
std::string step_text(const CliStep& step);

// CPU time of this process so far, in milliseconds.
double process_cpu_ms();

// Runs the steps one by one as run_steps does, timing each.
bool run_timed_steps(TForm1& form, const std::vector<CliStep>& steps,
                     std::vector<StepTiming>& timings);

// False (with a message on err) when the file cannot be written.
bool write_timings(const std::string& file, const std::vector<StepTiming>& timings,
                   std::ostream& err);

} // namespace kavro
