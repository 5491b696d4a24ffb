#pragma once

// Progress of a long load or analysis. The loops of the analyses call
// progress_step() now and then; when the window has installed a sink for the
// running action, the sink may show a progress dialog and, when the user
// cancels, throws kavro::Error("Cancelled by user"), which ends the handler
// as any error does. Without a sink (tests, kavro-cli) a step costs a
// counter test.

#include <cstdint>
#include <string>
#include <string_view>

namespace kavro {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // `done` of `total` units (lines or bytes); `what` names the work, such
    // as the file being loaded. May throw kavro::Error to cancel.
    virtual void progress(std::uint64_t done, std::uint64_t total, std::string_view what) = 0;
    // The action that reported ended (normally or not).
    virtual void finished() {}
};

namespace detail {
// constinit: without it every use calls a thread-local init wrapper, and the
// null check the undefined-behaviour sanitizer puts after that call can read
// stale flags once the linker relaxes the address computation (a false
// "load of null pointer").
extern constinit thread_local ProgressSink* progress_sink;
extern constinit thread_local std::uint32_t progress_countdown;
void progress_report(std::uint64_t done, std::uint64_t total, std::string_view what);
} // namespace detail

// Reports every 16384th call, so it can sit in a per-line loop.
inline void progress_step(std::uint64_t done, std::uint64_t total, std::string_view what = {}) {
    if (detail::progress_sink == nullptr) return;
    if (--detail::progress_countdown != 0) return;
    detail::progress_countdown = 16384;
    detail::progress_report(done, total, what);
}

// As many calls of progress_step at once, for a loop whose steps are
// passes over many rows (a sort's partitions): `n` rows count as n steps.
inline void progress_steps(std::uint64_t n, std::uint64_t done, std::uint64_t total,
                           std::string_view what = {}) {
    if (detail::progress_sink == nullptr) return;
    if (n < detail::progress_countdown) {
        detail::progress_countdown -= static_cast<std::uint32_t>(n);
        return;
    }
    detail::progress_countdown = 16384;
    detail::progress_report(done, total, what);
}

// Reports at once: for a loop that waits on work done elsewhere and still
// has to keep the dialog going.
inline void progress_report_now(std::uint64_t done, std::uint64_t total,
                                std::string_view what = {}) {
    if (detail::progress_sink != nullptr) detail::progress_report(done, total, what);
}

// Installs a sink for the lifetime of the scope (one user action).
class ProgressScope {
public:
    explicit ProgressScope(ProgressSink* sink);
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    ProgressSink* previous_;
};

} // namespace kavro
