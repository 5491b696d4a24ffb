#pragma once

// Text helpers of the ps loops, which run once or twice for every line of an
// archive of millions: a number reader for the plain decimals that ps
// prints, a search for several texts at once, and the blank-free cut of a
// fixed-position field that avoids a string per field.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kavro::ps_detail {

// ps prints "0.0" to "99.9" on almost every line: one or two digits, the
// point and one digit, read without a loop as plain_decimal reads them
// (m / 10). Small enough to be inlined where the rows are read.
inline bool tenths(std::string_view t, double& value) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (t.size() == 3 && t[1] == '.' && digit(t[0]) && digit(t[2])) {
        value = static_cast<double>((t[0] - '0') * 10 + (t[2] - '0')) / 10.0;
        return true;
    }
    if (t.size() == 4 && t[2] == '.' && digit(t[0]) && digit(t[1]) && digit(t[3])) {
        value = static_cast<double>((t[0] - '0') * 100 + (t[1] - '0') * 10 + (t[3] - '0')) / 10.0;
        return true;
    }
    return false;
}

// Digits with at most one "." among or around them ("12", "0.5", "7."),
// at most 15 digits in all. Such a text is an exact whole number m of at
// most 15 digits scaled by 10^-k, and m / 10^k in doubles is the correctly
// rounded value, which is what the general conversion gives as well.
// Anything else (blanks, signs, exponents, hexadecimal, longer numbers)
// answers false and goes to the general conversion.
inline bool plain_decimal(std::string_view t, double& value) {
    static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (t.empty() || t.size() > 16) return false;
    if (tenths(t, value)) return true;
    std::uint64_t m = 0;
    int digits = 0;
    int fraction = -1; // digits after the ".", -1 before one is seen
    for (char c : t) {
        if (c >= '0' && c <= '9') {
            m = m * 10 + static_cast<std::uint64_t>(c - '0');
            ++digits;
            if (fraction >= 0) ++fraction;
        } else if (c == '.' && fraction < 0) {
            fraction = 0;
        } else {
            return false;
        }
    }
    if (digits == 0 || digits > 15) return false;
    value = static_cast<double>(m);
    if (fraction > 0) value /= kTens[fraction];
    return true;
}

// How often each byte occurs in some lines of the file at hand.
using ByteCounts = std::array<std::uint32_t, 256>;

// Which of a set of texts a line contains. Each text is looked for by its
// key, the byte of it that the file's lines hold least often. One pass over
// the line compares sixteen bytes at a time with every key; only where a key
// byte stands are the texts with that key compared in place. A process line
// seldom holds a key byte, so it costs one pass rather than a substring
// search per text. Each text carries a tag; the answer is the tags of the
// texts found.
class MultiFind {
public:
    explicit MultiFind(const ByteCounts& counts) : counts_(counts) {}

    // An empty text occurs nowhere and is not added. At most kMaxKeys
    // different key bytes: past that a text takes the rarest key already
    // in use that it holds, or else its first byte shares the last group.
    void add(const std::string& text, unsigned tag) {
        if (text.empty()) return;
        std::size_t key = 0;
        for (std::size_t i = 1; i < text.size(); ++i)
            if (counts_[byte(text[i])] < counts_[byte(text[key])]) key = i;
        if (groups_.size() == kMaxKeys && !group_of(text[key])) {
            // Out of keys: use a byte of the text that is a key already.
            for (std::size_t i = 0; i < text.size(); ++i)
                if (group_of(text[i])) {
                    key = i;
                    break;
                }
        }
        Group* g = group_of(text[key]);
        if (!g && groups_.size() == kMaxKeys) {
            // Still none: search this text on its own in the scalar pass.
            loose_.push_back({text, 0, tag});
            all_tags_ |= tag;
            return;
        }
        if (!g) {
            groups_.push_back({text[key], {}});
            g = &groups_.back();
            is_key_[byte(text[key])] = true;
            // Unused lanes repeat the first key, so every block is compared
            // with all kMaxKeys lanes without a loop.
            for (std::size_t lane = groups_.size() - 1; lane < kMaxKeys; ++lane)
                for (int b = 0; b < 16; ++b) keys_[lane][b] = byte(text[key]);
            if (is_key_[pad_])
                while (is_key_[pad_]) ++pad_;
        }
        g->texts.push_back({text, key, tag});
        all_tags_ |= tag;
    }

    unsigned found_in(std::string_view line) const {
        unsigned found = 0;
        for (const Keyed& k : loose_)
            if ((found & k.tag) == 0 && line.find(k.text) != std::string_view::npos) found |= k.tag;
        if (groups_.empty()) return found;
        const char* data = line.data();
        const std::size_t size = line.size();
        std::size_t i = 0;
        for (; i + 16 <= size; i += 16) {
            if (!block_has_key(data + i)) continue;
            for (std::size_t j = i; j < i + 16; ++j)
                if (is_key_[byte(data[j])]) {
                    found |= confirm(line, j);
                    if (found == all_tags_) return found;
                }
        }
        if (i < size) {
            // The last bytes: in a line of sixteen or more, the block that
            // ends with the line (bytes already passed may answer too, which
            // costs only the byte loop below); in a shorter one, the bytes
            // padded with a byte that is no key.
            if (size >= 16) {
                if (!block_has_key(data + size - 16)) return found;
            } else {
                char tail[16];
                std::memset(tail, static_cast<char>(pad_), 16);
                std::memcpy(tail, data + i, size - i);
                if (!block_has_key(tail)) return found;
            }
            for (; i < size; ++i)
                if (is_key_[byte(data[i])]) {
                    found |= confirm(line, i);
                    if (found == all_tags_) return found;
                }
        }
        return found;
    }

private:
    static constexpr std::size_t kMaxKeys = 8;
    struct Keyed {
        std::string text;
        std::size_t key; // index of the key byte within text
        unsigned tag;
    };
    struct Group {
        char byte;
        std::vector<Keyed> texts;
    };
    using Bytes16 = unsigned char __attribute__((vector_size(16)));

    static unsigned char byte(char c) { return static_cast<unsigned char>(c); }

    Group* group_of(char c) {
        for (Group& g : groups_)
            if (g.byte == c) return &g;
        return nullptr;
    }

    bool block_has_key(const char* p) const {
        Bytes16 block;
        std::memcpy(&block, p, 16);
        const Bytes16 hits = (block == keys_[0]) | (block == keys_[1]) | (block == keys_[2]) |
                             (block == keys_[3]) | (block == keys_[4]) | (block == keys_[5]) |
                             (block == keys_[6]) | (block == keys_[7]);
#if defined(__SSE2__)
        // One byte mask instead of the two halves through memory.
        return _mm_movemask_epi8(reinterpret_cast<__m128i>(hits)) != 0;
#else
        std::uint64_t halves[2];
        std::memcpy(halves, &hits, 16);
        return (halves[0] | halves[1]) != 0;
#endif
    }

    // The tags of the texts whose key byte stands at `at` and that match there.
    unsigned confirm(std::string_view line, std::size_t at) const {
        unsigned tags = 0;
        for (const Group& g : groups_) {
            if (g.byte != line[at]) continue;
            for (const Keyed& k : g.texts) {
                if (at < k.key) continue;
                const std::size_t start = at - k.key;
                if (start + k.text.size() <= line.size() &&
                    std::memcmp(line.data() + start, k.text.data(), k.text.size()) == 0)
                    tags |= k.tag;
            }
        }
        return tags;
    }

    const ByteCounts& counts_;
    std::vector<Group> groups_;
    std::vector<Keyed> loose_;
    std::array<bool, 256> is_key_{};
    Bytes16 keys_[kMaxKeys] = {};
    unsigned char pad_ = 0; // a byte value that is no key
    unsigned all_tags_ = 0;
};

// cut_field for the fields the word test does not take, read byte by byte.
[[gnu::noinline]] inline std::string_view cut_field_bytes(std::string_view line, long long start,
                                                          long long count, std::string& scratch) {
    const auto size = static_cast<long long>(line.size());
    const char* p = line.data() + (start - 1);
    const long long n = count < size - (start - 1) ? count : size - (start - 1);
    const char* e = p + n;
    while (p < e && *p == ' ') ++p;
    while (e > p && e[-1] == ' ') --e;
    const char* q = p;
    while (q < e && *q != ' ') ++q;
    if (q == e) return std::string_view(p, static_cast<std::size_t>(e - p));
    scratch.assign(p, q);
    for (; q < e; ++q)
        if (*q != ' ') scratch.push_back(*q);
    return scratch;
}

// RemoveBlanks(Copy(line, start, count)) without a string in the common
// case: a field whose blanks all stand at its ends is a part of the line;
// only a field with a blank inside is gathered into `scratch`.
// Inlined where the rows are cut, so the common field takes no call.
inline std::string_view cut_field(std::string_view line, long long start, long long count,
                                  std::string& scratch) {
    const auto size = static_cast<long long>(line.size());
    if (start < 1) start = 1;
    if (count <= 0 || start > size) return {};
    const char* p = line.data() + (start - 1);
    if (count <= 8 && start - 1 + 8 <= size) {
        // A field of up to eight bytes with eight bytes of line from its
        // start: one word read, each byte's high bit set when it is no
        // blank, bytes past the field cleared. When the bits between the
        // first and the last set one are all set, the field is that part.
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
        const std::uint64_t x = w ^ 0x2020202020202020ull;
        std::uint64_t bits = (((x & kLow7) + kLow7) | x) & ~kLow7;
        if (count < 8) bits &= (std::uint64_t(1) << (count * 8)) - 1;
        if (bits == 0) return {};
        const int first = std::countr_zero(bits) / 8;
        const int last = (63 - std::countl_zero(bits)) / 8;
        if (bits == (~kLow7 >> (8 * (7 - (last - first)))) << (8 * first))
            return std::string_view(p + first, static_cast<std::size_t>(last - first + 1));
    }
    return cut_field_bytes(line, start, count, scratch);
}

// Series of the process chart by title, for the analysis's one lookup a
// row: open addressing over a power-of-two table with a cheap hash of the
// few bytes a process ID has. The titles are read from the series, which
// outlive the map.
template <class Item> class TitleIndex {
public:
    // The item titled `title`, or nullptr.
    Item* find(std::string_view title) const {
        if (slots_.empty()) return nullptr;
        const std::uint64_t head = head_of(title);
        for (std::size_t i = hash(head, title) & mask_;; i = (i + 1) & mask_) {
            const Slot& s = slots_[i];
            if (!s.item) return nullptr;
            // The first eight bytes and the length decide most comparisons
            // without reading the title from its series.
            if (s.head == head && s.title.size() == title.size() &&
                (title.size() <= 8 || s.title == title))
                return s.item;
        }
    }
    // Adds an item whose title is not in the index yet; `title` must stay
    // valid as long as the index.
    void add(std::string_view title, Item* item) {
        if ((count_ + 1) * 2 > slots_.size()) grow();
        place({title, head_of(title), item});
        ++count_;
    }

private:
    struct Slot {
        std::string_view title;
        std::uint64_t head = 0;
        Item* item = nullptr;
    };
    static std::uint64_t head_of(std::string_view t) {
        std::uint64_t w = 0;
        if (t.size() >= 8)
            std::memcpy(&w, t.data(), 8);
        else // a process ID: a few bytes, gathered without a call to memcpy
            for (std::size_t i = 0; i < t.size(); ++i)
                w |= std::uint64_t(static_cast<unsigned char>(t[i])) << (8 * i);
        return w;
    }
    static std::size_t hash(std::uint64_t head, std::string_view t) {
        std::uint64_t h = (head ^ t.size()) * 0xFF51AFD7ED558CCDull;
        for (std::size_t i = 8; i < t.size(); i += 8) {
            std::uint64_t w = 0;
            std::memcpy(&w, t.data() + i, t.size() - i < 8 ? t.size() - i : 8);
            h = (h ^ (h >> 32) ^ w) * 0xC4CEB9FE1A85EC53ull;
        }
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
    void place(const Slot& slot) {
        std::size_t i = hash(slot.head, slot.title) & mask_;
        while (slots_[i].item) i = (i + 1) & mask_;
        slots_[i] = slot;
    }
    void grow() {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
        mask_ = slots_.size() - 1;
        for (const Slot& s : old)
            if (s.item) place(s);
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
};

} // namespace kavro::ps_detail
