#pragma once

// The blank-separated fields of a row, the way mpstat prints its columns: a
// run of blanks (code 32) separates two fields, and blanks at either end of
// the row make no field; tabs are field bytes. The fields are those the
// plain way finds (collapse every run of blanks to one, then cut at each
// blank); tests/core/fast_text_test holds both ways against each other.
//
// A row is read 64 bytes at a time as a mask of its non-blank bytes: the
// rising edges of the mask are where fields start and the falling edges
// where they end. They come in turn, so the k-th end closes the k-th field,
// and the two are collected apart, a few operations a field.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kavro {

namespace fields_detail {

// Bit i set where byte base + i of `text` is not a blank, for the 64 bytes
// from `base` (bits past the end clear, as if the row went on in blanks).
inline std::uint64_t non_blanks(std::string_view text, std::size_t base) {
    const std::size_t n = std::min<std::size_t>(64, text.size() - base);
    const char* p = text.data() + base;
#if defined(__SSE2__)
    char padded[64];
    if (n < 64) {
        std::memset(padded, ' ', sizeof padded);
        // An empty row may have no storage at all: memcpy takes no null.
        if (n > 0) std::memcpy(padded, p, n);
        p = padded;
    }
    const __m128i blank = _mm_set1_epi8(' ');
    std::uint64_t bits = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(block, blank));
        bits |= static_cast<std::uint64_t>(~mask & 0xFFFF) << (16 * k);
    }
    return bits;
#else
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (p[i] != ' ') bits |= std::uint64_t(1) << i;
    return bits;
#endif
}

// Where fields begin (rising) and end (falling) in the 64 bytes from `base`,
// bits past the end clear; `carry` says whether the byte before the block
// is not a blank, and is updated for the next block.
struct Edges {
    std::uint64_t rising, falling;
};
inline Edges field_edges(std::string_view text, std::size_t base, std::uint64_t& carry) {
    const std::uint64_t nb = non_blanks(text, base);
    const std::uint64_t before = (nb << 1) | carry;
    std::uint64_t falling = ~nb & before;
    const std::size_t here = std::min<std::size_t>(64, text.size() - base);
    if (here < 64) falling &= (std::uint64_t(1) << here) - 1;
    carry = nb >> 63;
    return {nb & ~before, falling};
}

// A 64-bit mask with the running count of its set bits kept per byte, to
// find its k-th set bit without clearing the k lower ones one at a time.
class EdgeCounts {
public:
    explicit EdgeCounts(std::uint64_t m) : m_(m) {
        constexpr std::uint64_t k55 = 0x5555555555555555, k33 = 0x3333333333333333,
                                k0F = 0x0F0F0F0F0F0F0F0F;
        std::uint64_t c = m - ((m >> 1) & k55);
        c = (c & k33) + ((c >> 2) & k33);
        c = (c + (c >> 4)) & k0F;
        // Byte i: the set bits in bytes 0 to i, at most 64, so no byte carries.
        prefix_ = c * kOnes;
    }
    unsigned count() const { return static_cast<unsigned>(prefix_ >> 56); }
    std::size_t first() const { return static_cast<std::size_t>(std::countr_zero(m_)); }
    // The set bit after bit i; there must be one.
    std::size_t next(std::size_t i) const {
        return static_cast<std::size_t>(std::countr_zero(m_ & (~std::uint64_t(1) << i)));
    }
    // Bit index of the k-th set bit from 0; k must be below count().
    std::size_t select(unsigned k) const {
        // A byte's high bit is left set where its running count exceeds k.
        const std::uint64_t above = ((prefix_ | kHighs) - kOnes * (k + 1)) & kHighs;
        const int byte = std::countr_zero(above) >> 3;
        const unsigned before =
            byte == 0 ? 0 : static_cast<unsigned>((prefix_ >> (8 * byte - 8)) & 0xFF);
        auto bits = static_cast<unsigned>((m_ >> (8 * byte)) & 0xFF);
        for (unsigned r = k - before; r > 0; --r) bits &= bits - 1;
        return static_cast<std::size_t>(8 * byte + std::countr_zero(bits));
    }

private:
    static constexpr std::uint64_t kOnes = 0x0101010101010101, kHighs = 0x8080808080808080;
    std::uint64_t m_;
    std::uint64_t prefix_;
};

} // namespace fields_detail

// Every field of a row, or its first `limit`.
class FieldSplitter {
public:
    static constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();

    void split(std::string_view text, std::vector<std::string_view>& out,
               std::size_t limit = kAll) {
        const std::size_t size = text.size();
        // A row of n bytes has at most n / 2 + 1 fields.
        const std::size_t cap = std::min(limit, size / 2 + 1);
        if (starts_.size() < cap) {
            starts_.resize(cap);
            ends_.resize(cap);
        }
        std::size_t* const starts = starts_.data();
        std::size_t* const ends = ends_.data();
        std::size_t ns = 0, ne = 0;
        std::uint64_t carry = 0;
        for (std::size_t base = 0; base < size && ne < cap; base += 64) {
            auto [rising, falling] = fields_detail::field_edges(text, base, carry);
            for (; rising != 0 && ns < cap; rising &= rising - 1)
                starts[ns++] = base + static_cast<std::size_t>(std::countr_zero(rising));
            for (; falling != 0 && ne < cap; falling &= falling - 1)
                ends[ne++] = base + static_cast<std::size_t>(std::countr_zero(falling));
        }
        // A field still open at the end of the row ends with it.
        if (ne < ns) ends[ne++] = size;
        out.resize(ns);
        for (std::size_t k = 0; k < ns; ++k)
            out[k] = std::string_view(text.data() + starts[k], ends[k] - starts[k]);
    }

private:
    std::vector<std::size_t> starts_, ends_;
};

// The fields numbered K... (from 0, ascending) of a row, each empty when the
// row has fewer fields; what FieldSplitter gives at those places. The
// numbers are compile-time constants, so the search for each is unrolled.
template <unsigned... K>
std::array<std::string_view, sizeof...(K)> pick_fields(std::string_view text) {
    using fields_detail::EdgeCounts;
    constexpr std::size_t N = sizeof...(K);
    constexpr std::array<unsigned, N> k{K...};
    static_assert(N > 0);
    std::array<std::string_view, N> out{};
    {
        // Rows of the usual widths close the last wanted field within their
        // first 64 bytes: the k-th rising and falling edges of that one block
        // are then the k-th field's bounds. A row shorter than the block is
        // read as if it went on in blanks, so a field running to its end
        // closes at the row's size, as below.
        const std::uint64_t nb = fields_detail::non_blanks(text, 0);
        const EdgeCounts rising(nb & ~(nb << 1));
        const EdgeCounts falling(~nb & (nb << 1));
        if (falling.count() > k[N - 1]) {
            std::size_t s = 0, e = 0;
            for (std::size_t i = 0; i < N; ++i) {
                if (i > 0 && k[i] == k[i - 1] + 1) {
                    s = rising.next(s);
                    e = falling.next(e);
                } else if (k[i] == 0) {
                    s = rising.first();
                    e = falling.first();
                } else {
                    s = rising.select(k[i]);
                    e = falling.select(k[i]);
                }
                out[i] = text.substr(s, e - s);
            }
            return out;
        }
    }
    constexpr std::size_t last = k[N - 1];
    std::size_t start[N] = {}, stop[N] = {};
    std::size_t ns = 0, ne = 0; // fields started and ended so far
    std::size_t ws = 0, we = 0; // the next wanted start and end
    const std::size_t size = text.size();
    std::uint64_t carry = 0;
    for (std::size_t base = 0; base < size && ne <= last; base += 64) {
        auto [rising, falling] = fields_detail::field_edges(text, base, carry);
        for (; rising != 0 && ns <= last; rising &= rising - 1, ++ns)
            if (ws < N && ns == k[ws])
                start[ws++] = base + static_cast<std::size_t>(std::countr_zero(rising));
        for (; falling != 0 && ne <= last; falling &= falling - 1, ++ne)
            if (we < N && ne == k[we])
                stop[we++] = base + static_cast<std::size_t>(std::countr_zero(falling));
    }
    if (ne < ns) {
        if (we < N && ne == k[we]) stop[we++] = size;
        ++ne;
    }
    for (std::size_t i = 0; i < N; ++i)
        if (k[i] < ns) out[i] = text.substr(start[i], stop[i] - start[i]);
    return out;
}

} // namespace kavro
