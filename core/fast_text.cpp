#include "core/fast_text.h"

#include "core/convert.h"

#include "core/string_table.h"
#include "core/text.h"

namespace kavro {

std::size_t drop_carriage_returns(char* line, std::size_t len) {
    char* cr = static_cast<char*>(std::memchr(line, '\r', len));
    if (!cr) return len;
    char* out = cr;
    for (const char* in = cr + 1; in < line + len; ++in)
        if (*in != '\r') *out++ = *in;
    return static_cast<std::size_t>(out - line);
}

bool read_plain_decimal_digits(std::string_view t, double& value) {
    if (t.empty() || t.size() > 16) return false;
    int digits = 0;
    bool point = false;
    for (char c : t) {
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    // The shape StrToFloat reads without its general path, and so its value.
    return digits > 0 && digits <= 15 && TryStrToFloat(t, value);
}

std::string marker_time(std::string_view marker) {
    return RemoveBlanks(Copy(marker, static_cast<long long>(Pos(":", marker)) - 2, 8));
}

std::string_view cut_without_blanks_bytes(std::string_view line, long long start, long long count,
                                          std::string& scratch) {
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

ByteCounts count_bytes(const StringTable& raw, int rows) {
    ByteCounts counts{};
    for (int r = 1; r < raw.RowCount() && r <= rows; ++r)
        for (char c : raw.Cell(0, r)) ++counts[static_cast<unsigned char>(c)];
    return counts;
}

bool KeyBytes::add(unsigned char b) {
    if (is_key_[b]) return true;
    if (size_ == kMax) return false;
    // The new key fills every lane from its own to the last, so the lanes
    // past the last key repeat it and compare as it does.
    for (std::size_t lane = size_; lane < kMax; ++lane)
        for (int i = 0; i < 16; ++i) keys_[lane][i] = b;
    ++size_;
    is_key_[b] = true;
    while (is_key_[pad_]) ++pad_;
    return true;
}

const MultiFind::Group* MultiFind::group_of(char c) const {
    for (const Group& g : groups_)
        if (g.byte == c) return &g;
    return nullptr;
}

void MultiFind::add(std::string_view text, unsigned tag) {
    if (text.empty()) return;
    std::size_t key = 0;
    for (std::size_t i = 1; i < text.size(); ++i)
        if (counts_[byte(text[i])] < counts_[byte(text[key])]) key = i;
    if (groups_.size() == KeyBytes::kMax && !group_of(text[key])) {
        // Out of keys: use a byte of the text that is a key already.
        for (std::size_t i = 0; i < text.size(); ++i)
            if (group_of(text[i])) {
                key = i;
                break;
            }
    }
    all_tags_ |= tag;
    if (!group_of(text[key])) {
        if (!keys_.add(byte(text[key]))) {
            // Still none: searched for on its own.
            loose_.push_back({std::string(text), 0, tag});
            one_ = false;
            return;
        }
        groups_.push_back({text[key], {}, 0});
        group_at_[byte(text[key])] = static_cast<std::uint8_t>(groups_.size());
    }
    for (Group& g : groups_)
        if (g.byte == text[key]) {
            g.texts.push_back({std::string(text), key, tag});
            g.tags |= tag;
        }
    one_ = loose_.empty() && groups_.size() == 1 && groups_[0].texts.size() == 1;
}

PrefixList::PrefixList(const std::vector<std::string>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string& t = texts[i];
        if (t.empty()) continue;
        Text entry{t, static_cast<std::uint32_t>(i), 0, 0};
        const std::size_t n = t.size() < 8 ? t.size() : 8;
        std::memcpy(&entry.head, t.data(), n);
        entry.mask = n == 8 ? ~std::uint64_t(0) : (std::uint64_t(1) << (8 * n)) - 1;
        groups_[static_cast<unsigned char>(t.front())].push_back(std::move(entry));
    }
}

} // namespace kavro
