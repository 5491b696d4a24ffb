// Both configuration readers on arbitrary files: they may fail with an
// error, never crash or hang.
#include "config/rules_page.h"
#include "config/settings_page.h"

#include "fuzz/memory_file.h"
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = kavro::fuzz::memory_file_path();
    kavro::fuzz::write_memory_file(data, size);
    kavro::SettingsPage settings;
    kavro::OpenDialog d1, d2;
    kavro::Edit a, b, c, d;
    std::string connection;
    kavro::EnvironmentTargets targets{settings, d1, d2, a, b, c, d, connection};
    try {
        kavro::read_environment(path, targets);
    } catch (const std::exception&) {
    }
    kavro::TraceRulesPage rules;
    try {
        kavro::read_trace_rules(path, rules);
    } catch (const std::exception&) {
    }
    return 0;
}
