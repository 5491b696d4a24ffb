#include "profile/pending_calls.h"

namespace kavro::profile {

namespace {

// Zigzag, so that small negative deltas (a clock step back) stay short.
std::uint64_t zig(std::int64_t v) {
    return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}
std::int64_t zag(std::uint64_t u) {
    return static_cast<std::int64_t>(u >> 1) ^ -static_cast<std::int64_t>(u & 1);
}

void put(std::vector<std::uint8_t>& out, std::uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(v));
}

std::uint64_t get(const std::uint8_t*& p) {
    std::uint64_t v = 0;
    int shift = 0;
    while (*p & 0x80) {
        v |= static_cast<std::uint64_t>(*p++ & 0x7F) << shift;
        shift += 7;
    }
    v |= static_cast<std::uint64_t>(*p++) << shift;
    return v;
}

} // namespace

void PendingCalls::add(std::int64_t end, std::int64_t cpu) {
    // Deltas wrap in unsigned arithmetic, so any pair of times round-trips.
    put(bytes_, zig(static_cast<std::int64_t>(static_cast<std::uint64_t>(end) -
                                              static_cast<std::uint64_t>(last_end_))));
    put(bytes_, zig(cpu));
    last_end_ = end;
    ++count_;
}

PendingCalls::Resolved PendingCalls::resolve(std::int64_t start) {
    Resolved r;
    const std::uint8_t* p = bytes_.data();
    std::int64_t end = 0;
    for (std::int64_t i = 0; i < count_; ++i) {
        end = static_cast<std::int64_t>(static_cast<std::uint64_t>(end) +
                                        static_cast<std::uint64_t>(zag(get(p))));
        const std::int64_t cpu = zag(get(p));
        if (end < start) {
            r.top_cpu += cpu;
            ++r.top_count;
        }
    }
    bytes_.clear();
    if (bytes_.capacity() > 1 << 20) bytes_.shrink_to_fit();
    last_end_ = 0;
    count_ = 0;
    return r;
}

} // namespace kavro::profile
