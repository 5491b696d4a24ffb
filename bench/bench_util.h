#pragma once

// Small helpers shared by the benchmarks: wall-clock timing, peak memory of
// the process, file sizes, and a deterministic random source for the file
// generators.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace kavro::bench {

class Stopwatch {
public:
    Stopwatch() : start_(std::chrono::steady_clock::now()) {}
    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
    void restart() { start_ = std::chrono::steady_clock::now(); }

private:
    std::chrono::steady_clock::time_point start_;
};

// Peak resident set size of this process in bytes (VmHWM).
inline std::uint64_t peak_rss_bytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
    return 0;
}

// Resident set size of this process now, in bytes (VmRSS).
inline std::uint64_t rss_bytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
    return 0;
}

inline std::uint64_t file_bytes(const std::string& path) {
    std::error_code ec;
    auto n = std::filesystem::file_size(path, ec);
    return ec ? 0 : n;
}

// xorshift64*: the same file for the same seed on every machine.
class Random {
public:
    explicit Random(std::uint64_t seed) : s_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
    std::uint64_t next() {
        s_ ^= s_ >> 12;
        s_ ^= s_ << 25;
        s_ ^= s_ >> 27;
        return s_ * 2685821657736338717ull;
    }
    // Uniform in [0, n).
    std::uint64_t below(std::uint64_t n) { return n ? next() % n : 0; }

private:
    std::uint64_t s_;
};

// Parses a size such as 100M, 1G, 512K or a plain byte count.
inline std::uint64_t parse_size(const char* text) {
    char* end = nullptr;
    double v = std::strtod(text, &end);
    switch (end && *end ? *end : ' ') {
    case 'K':
    case 'k':
        v *= 1024;
        break;
    case 'M':
    case 'm':
        v *= 1024 * 1024;
        break;
    case 'G':
    case 'g':
        v *= 1024.0 * 1024 * 1024;
        break;
    default:
        break;
    }
    return static_cast<std::uint64_t>(v);
}

} // namespace kavro::bench
