#include "core/text.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kavro {

int Pos(std::string_view x, std::string_view t) {
    if (x.empty() || t.empty() || x.size() > t.size()) return 0;
    const std::size_t at = find_text(t, x);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

std::size_t find_text(std::string_view t, std::string_view x, std::size_t from) {
    const std::size_t n = t.size(), m = x.size();
    if (m == 0 || from > n || m > n - from) return std::string_view::npos;
    const char* s = t.data();
    if (m == 1) {
        const void* at = std::memchr(s + from, x[0], n - from);
        return at ? static_cast<std::size_t>(static_cast<const char*>(at) - s)
                  : std::string_view::npos;
    }
    const char first = x[0], last = x[m - 1];
    const char* middle = x.data() + 1;
    const std::size_t inner = m - 2;
    std::size_t i = from;
#if defined(__SSE2__)
    // Candidates i .. i+15 at once: their first bytes from i, their last
    // bytes from i+m-1; only where both match is the rest compared.
    const __m128i f = _mm_set1_epi8(first), l = _mm_set1_epi8(last);
    for (; i + m - 1 + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + m - 1));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, f), _mm_cmpeq_epi8(b, l))));
        while (mask != 0) {
            const auto k = static_cast<std::size_t>(__builtin_ctz(mask));
            if (std::memcmp(s + i + k + 1, middle, inner) == 0) return i + k;
            mask &= mask - 1;
        }
    }
#endif
    for (; i + m <= n; ++i)
        if (s[i] == first && s[i + m - 1] == last && std::memcmp(s + i + 1, middle, inner) == 0)
            return i;
    return std::string_view::npos;
}

std::string_view Copy(std::string_view t, long long p, long long n) {
    const auto size = static_cast<long long>(t.size());
    if (p < 1) p = 1;
    if (n <= 0 || p > size) return {};
    const long long avail = size - (p - 1);
    return t.substr(static_cast<std::size_t>(p - 1), static_cast<std::size_t>(std::min(n, avail)));
}

void Delete(std::string& t, long long p, long long n) {
    const auto size = static_cast<long long>(t.size());
    if (p < 1 || p > size || n <= 0) return;
    const long long avail = size - (p - 1);
    t.erase(static_cast<std::size_t>(p - 1), static_cast<std::size_t>(std::min(n, avail)));
}

std::string_view TextAfter(std::string_view t, std::string_view x) {
    return Copy(t, static_cast<long long>(Pos(x, t)) + 1, static_cast<long long>(t.size()));
}

static bool is_space(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string_view TrimLeft(std::string_view t) {
    std::size_t i = 0;
    while (i < t.size() && is_space(t[i])) ++i;
    return t.substr(i);
}

std::string_view TrimRight(std::string_view t) {
    std::size_t n = t.size();
    while (n > 0 && is_space(t[n - 1])) --n;
    return t.substr(0, n);
}

std::string_view Trim(std::string_view t) {
    return TrimRight(TrimLeft(t));
}

std::string RemoveBlanks(std::string_view t) {
    std::string out;
    out.reserve(t.size());
    for (char c : t)
        if (c != ' ') out.push_back(c);
    return out;
}

} // namespace kavro
