#pragma once

// The fast text primitives that the readers of the archives share. An
// archive holds millions of lines, and each reader asks the same few
// questions of every one: does it hold one of these texts, where are its
// fields, what number is this field. Each primitive here answers one such
// question exactly as the plain text operation named beside it does (Pos,
// Copy, RemoveBlanks, StrToInt, StrToFloat, the line reader's rules), only
// faster for the shapes of text the archives hold; tests/core/fast_text_test
// holds every one against that operation on random and real lines. The
// readers call them by name and keep no bit tricks of their own.
//
// The blank-separated fields of a row are in core/fast_fields.h.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kavro {

class StringTable;

// --- Line ends: the rules LineReader::next and StringTable::LineLoader share.

// The number of bytes before the first byte 26 (Ctrl-Z, which ends a text
// file) among the n at p; n when there is none.
inline std::size_t before_end_of_file(const char* p, std::size_t n) {
    const void* stop = std::memchr(p, 26, n);
    return stop ? static_cast<std::size_t>(static_cast<const char*>(stop) - p) : n;
}

// Removes every carriage return of the len bytes of a line in place and
// returns the length left: the one before the line feed and any other.
std::size_t drop_carriage_returns(char* line, std::size_t len);

// --- Numbers.

// Decimal digits with at most one "." among or around them ("12", "0.5",
// "7.", ".5"), 1 to 15 digits in all, read as StrToFloat reads them; anything
// else (blanks, signs, exponents, hexadecimal, longer numbers) answers false,
// so that a caller can try another reading first (a sign or a hexadecimal
// whole number). The "0.0" to "99.9" that ps prints on almost every line are
// read inline: one or two digits over ten, an exact quotient, so the value
// StrToFloat finds.
// read_plain_decimal for the texts of other shapes.
bool read_plain_decimal_digits(std::string_view t, double& value);
inline bool read_plain_decimal(std::string_view t, double& value) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (t.size() == 3 && t[1] == '.' && digit(t[0]) && digit(t[2])) {
        value = static_cast<double>((t[0] - '0') * 10 + (t[2] - '0')) / 10.0;
        return true;
    }
    if (t.size() == 4 && t[2] == '.' && digit(t[0]) && digit(t[1]) && digit(t[3])) {
        value = static_cast<double>((t[0] - '0') * 100 + (t[1] - '0') * 10 + (t[3] - '0')) / 10.0;
        return true;
    }
    return read_plain_decimal_digits(t, value);
}

// One to nine decimal digits and nothing else: StrToInt's value, read
// without its grammar. Anything else answers false, for StrToInt to read.
inline bool read_plain_int(std::string_view t, int& value) {
    if (t.empty() || t.size() > 9) return false;
    int v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

// --- Cuts.

// The time of day a snapshot marker carries, RemoveBlanks(Copy(marker,
// Pos(":", marker) - 2, 8)): "10:00:01" out of "zzz ***Mon Jun 6 10:00:01
// CDT 2016", "9:05:01" for an hour padded with a blank, the first eight
// bytes when there is no ":".
std::string marker_time(std::string_view marker);

// The byte-by-byte way of cut_without_blanks, for the fields its word test
// does not take.
[[gnu::noinline]] std::string_view cut_without_blanks_bytes(std::string_view line, long long start,
                                                            long long count, std::string& scratch);

// RemoveBlanks(Copy(line, start, count)), a field at fixed positions with its
// blanks removed, without a string in the common case: a field whose blanks
// all stand at its ends is a part of the line; only a field with a blank
// inside is gathered into `scratch` (and the answer is valid until the next
// use of it). Inlined where rows are cut, so the common field takes no call.
inline std::string_view cut_without_blanks(std::string_view line, long long start, long long count,
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
        const int first = __builtin_ctzll(bits) / 8;
        const int last = (63 - __builtin_clzll(bits)) / 8;
        if (bits == (~kLow7 >> (8 * (7 - (last - first)))) << (8 * first))
            return std::string_view(p + first, static_cast<std::size_t>(last - first + 1));
    }
    return cut_without_blanks_bytes(line, start, count, scratch);
}

// The first of the bytes from p to end that is no blank (code 32), or end:
// TrimLeft for blanks alone. Eight bytes at a time, since counter rows are
// indented by runs of blanks.
inline const char* skip_blanks(const char* p, const char* end) {
    while (end - p >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        const std::uint64_t other = w ^ 0x2020202020202020ull;
        if (other != 0) return p + __builtin_ctzll(other) / 8;
        p += 8;
    }
    while (p < end && *p == ' ') ++p;
    return p;
}

// --- Searching.

// How often each byte occurs in some lines of the file at hand.
using ByteCounts = std::array<std::uint32_t, 256>;

// The byte counts of the first `rows` rows (from row 1) of column 0 of a raw
// table: what the searches below take their key bytes from.
ByteCounts count_bytes(const StringTable& raw, int rows = 4096);

// Up to eight byte values, and whether a block of sixteen bytes holds any
// of them, the block compared with every value at once.
class KeyBytes {
public:
    static constexpr std::size_t kMax = 8;

    std::size_t size() const { return size_; }
    bool has(unsigned char b) const { return is_key_[b]; }
    // Adds b unless it is there already; false when the set is full.
    bool add(unsigned char b);
    // A byte value that is no key, to pad a short line with.
    unsigned char pad() const { return pad_; }

    // Whether any of the 16 bytes at p is a key. Unused lanes repeat a key,
    // so a set of up to four keys is tested with Lanes = 4 and a larger one
    // with 8, without a loop.
    template <int Lanes = kMax> bool in_block(const char* p) const {
        static_assert(Lanes == 4 || Lanes == 8);
        using Bytes16 = unsigned char __attribute__((vector_size(16)));
        Bytes16 block;
        std::memcpy(&block, p, 16);
        Bytes16 hits =
            (block == keys_[0]) | (block == keys_[1]) | (block == keys_[2]) | (block == keys_[3]);
        if constexpr (Lanes == 8)
            hits |= (block == keys_[4]) | (block == keys_[5]) | (block == keys_[6]) |
                    (block == keys_[7]);
#if defined(__SSE2__)
        return _mm_movemask_epi8(reinterpret_cast<__m128i>(hits)) != 0;
#else
        std::uint64_t halves[2];
        std::memcpy(halves, &hits, 16);
        return (halves[0] | halves[1]) != 0;
#endif
    }

    // Whether the text holds any key: Pos(key, t) > 0 for one of them.
    bool in(std::string_view t) const {
        const char* data = t.data();
        const std::size_t size = t.size();
        if (size_ == 0 || size == 0) return false;
        if (size < 16) {
            for (std::size_t i = 0; i < size; ++i)
                if (is_key_[static_cast<unsigned char>(data[i])]) return true;
            return false;
        }
        return size_ > 4 ? in_blocks<8>(data, size) : in_blocks<4>(data, size);
    }

private:
    template <int Lanes> bool in_blocks(const char* data, std::size_t size) const {
        std::size_t i = 0;
        for (; i + 16 <= size; i += 16)
            if (in_block<Lanes>(data + i)) return true;
        // The last bytes in the block that ends the text, overlapping those
        // already seen.
        return i < size && in_block<Lanes>(data + size - 16);
    }

    using Bytes16 = unsigned char __attribute__((vector_size(16)));
    Bytes16 keys_[kMax] = {};
    std::array<bool, 256> is_key_{};
    std::size_t size_ = 0;
    unsigned char pad_ = 0;
};

// Which of a set of texts a line contains: the tags of the texts t for which
// Pos(t, line) > 0. Each text is looked for by its key, the byte of it that
// the file's lines hold least often. One pass over the line tests sixteen
// bytes at a time for the keys; only where a key byte stands are the texts
// with that key compared in place. Most lines hold no key byte, so a line
// costs one pass rather than a substring search per text.
class MultiFind {
public:
    explicit MultiFind(const ByteCounts& counts) : counts_(counts) {}

    // An empty text occurs nowhere and is not added. Past eight different
    // key bytes a text takes a key already in use that it holds, or else is
    // searched for on its own.
    void add(std::string_view text, unsigned tag);

    unsigned found_in(std::string_view line) const {
        // A key or two are found fastest by the library's byte search, one
        // pass for each; more are tested together, a block at a time.
        if (one_) return found_one(line);
        if (keys_.size() <= kByteSearchKeys) return found_by_byte(line);
        return keys_.size() > 4 ? found_in<8>(line) : found_in<4>(line);
    }

private:
    struct Keyed {
        std::string text;
        std::size_t key; // index of the key byte within text
        unsigned tag;
    };
    struct Group {
        char byte;
        std::vector<Keyed> texts;
        unsigned tags = 0; // of its texts
    };

    static constexpr std::size_t kByteSearchKeys = 3;

    static unsigned char byte(char c) { return static_cast<unsigned char>(c); }
    const Group* group_of(char c) const;

    // The set of one text, the common case of a snapshot marker: its key
    // byte looked for only where the text could stand around it.
    unsigned found_one(std::string_view line) const {
        const Keyed& k = groups_[0].texts[0];
        const std::size_t n = k.text.size();
        if (line.size() < n) return 0;
        const char* const data = line.data();
        const char key = k.text[k.key];
        std::size_t from = k.key;
        const std::size_t last = line.size() - (n - k.key);
        while (from <= last) {
            const void* hit = std::memchr(data + from, key, last - from + 1);
            if (hit == nullptr) return 0;
            const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
            if (std::memcmp(data + at - k.key, k.text.data(), n) == 0) return k.tag;
            from = at + 1;
        }
        return 0;
    }

    unsigned found_by_byte(std::string_view line) const {
        unsigned found = 0;
        for (const Keyed& k : loose_)
            if ((found & k.tag) == 0 && line.find(k.text) != std::string_view::npos) found |= k.tag;
        const char* data = line.data();
        const char* const end = data + line.size();
        for (const Group& g : groups_) {
            for (const char* p = data; p < end; ++p) {
                p = static_cast<const char*>(
                    std::memchr(p, g.byte, static_cast<std::size_t>(end - p)));
                if (!p) break;
                found |= confirm(line, static_cast<std::size_t>(p - data));
                if ((found & g.tags) == g.tags) break;
            }
            if (found == all_tags_) return found;
        }
        return found;
    }

    template <int Lanes> unsigned found_in(std::string_view line) const {
        unsigned found = 0;
        for (const Keyed& k : loose_)
            if ((found & k.tag) == 0 && line.find(k.text) != std::string_view::npos) found |= k.tag;
        if (groups_.empty()) return found;
        const char* data = line.data();
        const std::size_t size = line.size();
        std::size_t i = 0;
        for (; i + 16 <= size; i += 16) {
            if (!keys_.in_block<Lanes>(data + i)) continue;
            for (std::size_t j = i; j < i + 16; ++j)
                if (keys_.has(byte(data[j]))) {
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
                if (!keys_.in_block<Lanes>(data + size - 16)) return found;
            } else {
                char tail[16];
                std::memset(tail, static_cast<char>(keys_.pad()), 16);
                std::memcpy(tail, data + i, size - i);
                if (!keys_.in_block<Lanes>(tail)) return found;
            }
            for (; i < size; ++i)
                if (keys_.has(byte(data[i]))) {
                    found |= confirm(line, i);
                    if (found == all_tags_) return found;
                }
        }
        return found;
    }

    // The tags of the texts whose key byte stands at `at` and that match there.
    unsigned confirm(std::string_view line, std::size_t at) const {
        unsigned tags = 0;
        const Group& g = groups_[group_at_[byte(line[at])] - 1];
        for (const Keyed& k : g.texts) {
            if (at < k.key) continue;
            const std::size_t start = at - k.key, n = k.text.size();
            if (start + n > line.size()) continue;
            // The texts are markers of a few bytes: compared here rather
            // than by a call.
            const char* p = line.data() + start;
            const char* q = k.text.data();
            std::size_t i = 0;
            if (n > 8) {
                if (std::memcmp(p, q, n) == 0) tags |= k.tag;
                continue;
            }
            while (i < n && p[i] == q[i]) ++i;
            if (i == n) tags |= k.tag;
        }
        return tags;
    }

    ByteCounts counts_;
    std::vector<Group> groups_;
    std::array<std::uint8_t, 256> group_at_{}; // by key byte: its group's index + 1
    bool one_ = false;                         // one text in all, groups_[0].texts[0]
    std::vector<Keyed> loose_;
    KeyBytes keys_;
    unsigned all_tags_ = 0;
};

// A list of texts, and the last of them in list order that a wording begins
// with: the largest i for which BeginsWith(wording, texts[i]). The texts are
// grouped by their first byte, and the first eight bytes of each are kept as
// one word, so a wording is told from most texts of its group by one compare.
class PrefixList {
public:
    static constexpr std::uint32_t npos = 0xFFFFFFFFu;

    // Empty texts begin no wording and are left out; the others keep their
    // index in `texts` as given.
    explicit PrefixList(const std::vector<std::string>& texts);

    std::uint32_t last_prefix_of(std::string_view wording) const {
        if (wording.empty()) return npos;
        const auto& group = groups_[static_cast<unsigned char>(wording.front())];
        if (wording.size() < 8) {
            for (auto it = group.rbegin(); it != group.rend(); ++it)
                if (wording.size() >= it->text.size() &&
                    std::memcmp(wording.data(), it->text.data(), it->text.size()) == 0)
                    return it->index;
            return npos;
        }
        std::uint64_t word;
        std::memcpy(&word, wording.data(), 8);
        for (auto it = group.rbegin(); it != group.rend(); ++it) {
            if ((word & it->mask) != it->head || wording.size() < it->text.size()) continue;
            if (it->text.size() <= 8 ||
                std::memcmp(wording.data() + 8, it->text.data() + 8, it->text.size() - 8) == 0)
                return it->index;
        }
        return npos;
    }

private:
    struct Text {
        std::string text;
        std::uint32_t index;
        // The first eight bytes (fewer for a shorter text, the rest of the
        // word masked off).
        std::uint64_t head;
        std::uint64_t mask;
    };
    std::array<std::vector<Text>, 256> groups_;
};

} // namespace kavro
