#include "cli/step_timings.h"

#include <chrono>
#include <ctime>
#include <fstream>

namespace kavro {

std::string step_text(const CliStep& step) {
    if (step.kind == "click") return "--click " + step.name;
    return "--" + step.kind + " " + step.name + "=" + step.value;
}

double process_cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

bool run_timed_steps(TForm1& form, const std::vector<CliStep>& steps,
                     std::vector<StepTiming>& timings) {
    for (const CliStep& s : steps) {
        const auto start = std::chrono::steady_clock::now();
        const double cpu = process_cpu_ms();
        const bool ok = run_steps(form, {s});
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        timings.push_back(
            {step_text(s), took.count(), process_cpu_ms() - cpu, std::nullopt, std::nullopt});
        if (!ok) return false;
    }
    return true;
}

bool write_timings(const std::string& file, const std::vector<StepTiming>& timings,
                   std::ostream& err) {
    std::ofstream out(file, std::ios::binary);
    for (const StepTiming& t : timings) {
        out << t.step << '\t' << t.ms << '\t' << t.cpu_ms;
        if (t.frozen_without_dialog_ms) out << '\t' << *t.frozen_without_dialog_ms;
        if (t.frozen_ms) out << '\t' << *t.frozen_ms;
        out << '\n';
    }
    out.close();
    if (!out) {
        err << "kavro: cannot write " << file << '\n';
        return false;
    }
    return true;
}

} // namespace kavro
