#include "core/text.h"

#include <algorithm>
#include <cstring>

namespace kavro {

int Pos(std::string_view x, std::string_view t) {
    if (x.empty() || t.empty() || x.size() > t.size()) return 0;
    const void* at;
    if (x.size() == 1) {
        at = std::memchr(t.data(), x[0], t.size());
    } else {
        // glibc's memmem does not stop at every occurrence of the first
        // character, which matters for markers such as " U " in lines full
        // of blanks.
        at = ::memmem(t.data(), t.size(), x.data(), x.size());
    }
    return at ? static_cast<int>(static_cast<const char*>(at) - t.data()) + 1 : 0;
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

static bool is_space(char c) { return static_cast<unsigned char>(c) <= 32; }

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

std::string_view Trim(std::string_view t) { return TrimRight(TrimLeft(t)); }

std::string RemoveBlanks(std::string_view t) {
    std::string out;
    out.reserve(t.size());
    for (char c : t)
        if (c != ' ') out.push_back(c);
    return out;
}

} // namespace kavro
