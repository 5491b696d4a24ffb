#pragma once

// Hashing of texts and the flat indexes built on it. The hot loops of the
// analyses look a text up once or more per line among hundreds of thousands
// of keys, so the lookups avoid what node-based maps cost there: a heap node
// and a heap copy of the key per entry, and a pointer chase per probe.
//
// TextMap stays for the places where a few thousand keys are looked up.

#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kavro {

namespace detail {
inline std::uint64_t load64(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline std::uint64_t load32(const char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline std::uint64_t mix64(std::uint64_t k) {
    k ^= k >> 33;
    k *= 0xff51afd7ed558ccdull;
    k ^= k >> 33;
    k *= 0xc4ceb9fe1a85ec53ull;
    k ^= k >> 33;
    return k;
}
} // namespace detail

// A 64-bit hash of the bytes of `s`, eight at a time: the texts looked up
// (keys of cursor and event, series titles, labels) are tens of bytes long.
inline std::uint64_t hash_text(std::string_view s) noexcept {
    constexpr std::uint64_t m = 0x9E3779B97F4A7C15ull;
    const char* p = s.data();
    std::size_t n = s.size();
    std::uint64_t h = (n + 1) * 0xD6E8FEB86659FD93ull;
    if (n >= 8) {
        const char* last = p + n - 8;
        while (p < last) {
            h = (h ^ detail::load64(p)) * m;
            h ^= h >> 29;
            p += 8;
        }
        // The last eight bytes, overlapping the previous word when the
        // length is not a multiple of eight.
        h = (h ^ detail::load64(last)) * m;
    } else if (n >= 4) {
        h = (h ^ (detail::load32(p) | detail::load32(p + n - 4) << 32)) * m;
    } else if (n > 0) {
        const auto b = [&](std::size_t i) {
            return static_cast<std::uint64_t>(static_cast<unsigned char>(p[i]));
        };
        h = (h ^ (b(0) | b(n / 2) << 8 | b(n - 1) << 16)) * m;
    }
    return detail::mix64(h);
}

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept {
        return std::hash<std::string_view>{}(s);
    }
};

// Room for one more element of `v`, growing by doubling. Called before a
// push_back, so that running out of memory leaves the list as it was;
// reserving one more at a time would move every element on every add.
template <class T> void room_for_one(std::vector<T>& v) {
    if (v.size() == v.capacity()) v.reserve(v.empty() ? 8 : v.size() * 2);
}

template <class T> using TextMap = std::unordered_map<std::string, T, TextHash, std::equal_to<>>;

// An open-addressing index from a hash to the ids (0, 1, 2, ...) that the
// caller gives its entries; the caller keeps the entries in id order, which
// is the order of first occurrence, and says whether an id matches. A slot is
// eight bytes: 32 bits of the hash, which both place the slot and filter out
// nearly every mismatch before the caller compares, and the id.
class FlatIndex {
public:
    static constexpr std::uint32_t npos = 0xFFFFFFFFu;

    std::size_t size() const { return size_; }
    void clear() {
        slots_.clear();
        size_ = 0;
        shift_ = 64;
    }

    // The id whose entry `same(id)` accepts among those stored under `hash`,
    // or npos.
    template <class Same> std::uint32_t find(std::uint64_t hash, Same&& same) const {
        if (slots_.empty()) return npos;
        const std::uint32_t tag = tag_of(hash);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = place(tag);; i = (i + 1) & mask) {
            const std::uint64_t s = slots_[i];
            if (s == 0) return npos;
            if (static_cast<std::uint32_t>(s >> 32) == tag) {
                const auto id = static_cast<std::uint32_t>(s) - 1;
                if (same(id)) return id;
            }
        }
    }

    // Stores `id` under `hash`; the caller has made sure it is not there.
    void insert(std::uint64_t hash, std::uint32_t id) {
        if ((size_ + 1) * 2 > slots_.size()) grow();
        put(tag_of(hash), id);
        ++size_;
    }

    void reserve(std::size_t n) {
        while (n * 2 > slots_.size()) grow();
    }

private:
    static std::uint32_t tag_of(std::uint64_t hash) {
        return static_cast<std::uint32_t>(hash >> 32);
    }
    // The top bits of the tag place the slot, so growing needs no hash but
    // the one kept in the slot.
    std::size_t place(std::uint32_t tag) const {
        return shift_ >= 32 ? 0 : static_cast<std::size_t>(tag >> shift_);
    }
    void put(std::uint32_t tag, std::uint32_t id) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = place(tag);
        while (slots_[i] != 0) i = (i + 1) & mask;
        slots_[i] = static_cast<std::uint64_t>(tag) << 32 | (static_cast<std::uint64_t>(id) + 1);
    }
    // Builds the larger table aside, so that running out of memory leaves
    // the index as it was.
    void grow() {
        const std::size_t n = slots_.empty() ? 16 : slots_.size() * 2;
        std::vector<std::uint64_t> old(n, 0);
        old.swap(slots_);
        shift_ = 32 - std::countr_zero(n);
        for (std::uint64_t s : old)
            if (s != 0) put(static_cast<std::uint32_t>(s >> 32), static_cast<std::uint32_t>(s) - 1);
    }

    std::vector<std::uint64_t> slots_;
    std::size_t size_ = 0;
    int shift_ = 64;
};

// Distinct texts, each kept once and numbered in the order they first came:
// the label pool of a chart, the keys of a touch table, the shared texts of a
// table column. Texts live in chunks that never move, so a view of one stays
// valid until clear().
class TextPool {
public:
    static constexpr std::uint32_t npos = FlatIndex::npos;

    std::uint32_t size() const { return static_cast<std::uint32_t>(entries_.size()); }
    std::string_view text(std::uint32_t id) const {
        const Entry& e = entries_[id];
        return {e.data, e.size};
    }

    std::uint32_t find(std::string_view text) const { return find(text, hash_text(text)); }
    [[gnu::always_inline]] std::uint32_t find(std::string_view text, std::uint64_t hash) const {
        const std::uint64_t head = head_of(text);
        return index_.find(hash, [&](std::uint32_t id) { return same(entries_[id], text, head); });
    }

    // The id of `text`, added at the end when it is new.
    [[gnu::always_inline]] std::uint32_t intern(std::string_view text) {
        return intern(text, hash_text(text));
    }
    [[gnu::always_inline]] std::uint32_t intern(std::string_view text, std::uint64_t hash) {
        const std::uint32_t id = find(text, hash);
        return id != npos ? id : add(text, hash);
    }
    // intern for texts that come in runs, as a snapshot's time does on each
    // of its rows: the text interned last is compared first, without a hash.
    std::uint32_t intern_in_run(std::string_view text) {
        if (last_ != npos && same(entries_[last_], text, head_of(text))) return last_;
        last_ = intern(text);
        return last_;
    }
    // intern for texts that tend to come in the order they came before, as
    // the process IDs of one snapshot follow those of the last: `hint`, the
    // entry expected (such as the one after the last found), is compared
    // first, without a hash.
    std::uint32_t intern_hinted(std::string_view text, std::uint32_t hint) {
        if (hint < entries_.size() && same(entries_[hint], text, head_of(text))) return hint;
        return intern(text);
    }
    // Adds `text` as a new entry; the caller knows it is not there. Room is
    // made first, so that running out of memory adds nothing.
    std::uint32_t add(std::string_view text, std::uint64_t hash) {
        const auto id = static_cast<std::uint32_t>(entries_.size());
        if (entries_.size() == entries_.capacity()) entries_.reserve(entries_.size() * 2 + 16);
        index_.reserve(entries_.size() + 1);
        const std::string_view kept = store(text);
        entries_.push_back({head_of(text), kept.data(), static_cast<std::uint32_t>(kept.size())});
        index_.insert(hash, id);
        return id;
    }

    void clear() {
        last_ = npos;
        entries_.clear();
        index_.clear();
        chunks_.clear();
        room_ = 0;
        next_ = kFirstChunk;
        bytes_ = 0;
    }
    // Bytes held, for memory reports.
    std::size_t bytes() const { return bytes_ + entries_.capacity() * sizeof(Entry); }

private:
    static constexpr std::size_t kFirstChunk = 4096;
    static constexpr std::size_t kMaxChunk = std::size_t(1) << 20;

    // A text's first eight bytes (all of a shorter one, zero-filled) are kept
    // beside it: most texts looked up (process IDs, times, keys) are told
    // apart, or found equal, by its length and that one word, without
    // reading the text itself from its chunk.
    struct Entry {
        std::uint64_t head;
        const char* data;
        std::uint32_t size;
    };
    static std::uint64_t head_of(std::string_view t) {
        const char* p = t.data();
        const std::size_t n = t.size();
        if (n >= 8) return detail::load64(p);
        if (n >= 4) return detail::load32(p) | detail::load32(p + n - 4) << (8 * (n - 4));
        if (n == 0) return 0;
        const auto b = [&](std::size_t i) {
            return static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
        };
        return b(0) | b(n / 2) | b(n - 1);
    }
    static bool same(const Entry& e, std::string_view t, std::uint64_t head) {
        return e.size == t.size() && e.head == head &&
               (t.size() <= 8 || std::memcmp(e.data + 8, t.data() + 8, t.size() - 8) == 0);
    }

    std::string_view store(std::string_view text) {
        if (text.empty()) return {};
        if (text.size() > room_) {
            // A text longer than the chunk that would come next gets a chunk
            // of its own; the chunk in use keeps filling with the short ones.
            room_for_one(chunks_);
            if (text.size() > next_ / 2) {
                chunks_.emplace_back(new char[text.size()]);
                bytes_ += text.size();
                std::memcpy(chunks_.back().get(), text.data(), text.size());
                return {chunks_.back().get(), text.size()};
            }
            chunks_.emplace_back(new char[next_]);
            bytes_ += next_;
            at_ = chunks_.back().get();
            room_ = next_;
            if (next_ < kMaxChunk) next_ *= 2;
        }
        char* dst = at_;
        std::memcpy(dst, text.data(), text.size());
        at_ += text.size();
        room_ -= text.size();
        return {dst, text.size()};
    }

    std::vector<Entry> entries_;
    std::uint32_t last_ = npos; // the text intern_in_run gave last
    FlatIndex index_;
    std::vector<std::unique_ptr<char[]>> chunks_;
    char* at_ = nullptr;
    std::size_t room_ = 0;
    std::size_t next_ = kFirstChunk;
    std::size_t bytes_ = 0;
};

} // namespace kavro
