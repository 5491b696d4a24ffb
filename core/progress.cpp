#include "core/progress.h"

namespace kavro {

namespace detail {
constinit thread_local ProgressSink* progress_sink = nullptr;
constinit thread_local std::uint32_t progress_countdown = 16384;

void progress_report(std::uint64_t done, std::uint64_t total, std::string_view what) {
    if (progress_sink) progress_sink->progress(done, total, what);
}
} // namespace detail

ProgressScope::ProgressScope(ProgressSink* sink) : previous_(detail::progress_sink) {
    detail::progress_sink = sink;
    detail::progress_countdown = 16384;
}

ProgressScope::~ProgressScope() {
    if (detail::progress_sink) detail::progress_sink->finished();
    detail::progress_sink = previous_;
}

} // namespace kavro
