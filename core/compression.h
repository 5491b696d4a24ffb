#pragma once

// Compressed files and archives, recognised by their content: a file named
// .gz may hold plain text and a .trc may be gzip data, so a name decides
// nothing. Each format is inflated by its own library (zlib, libbz2,
// liblzma, libzstd), which checks the stream's check sums on the way.

#include "core/byte_source.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kavro {

enum class Compression { none, gzip, bzip2, xz, zstd };
enum class Container { none, tar, zip };

// The first bytes a file is judged by: enough for every mark below (a tar
// header's is at byte 257).
constexpr std::size_t kSniffBytes = 512;

// The compression whose stream `head` (a file's first bytes) begins, by the
// magic bytes of each format; none for anything else.
Compression compression_of(std::string_view head);
// "gzip", "bzip2", "xz", "zstd" (for messages).
const char* compression_name(Compression c);
// A tar archive (POSIX or GNU header) or a zip archive beginning at `head`.
Container container_of(std::string_view head);
const char* container_name(Container c);

// The inflated content of `raw`, whose first bytes `head` were already read
// from it (they are handed to the decompressor first). `name` names the file
// in messages: a damaged or cut-off stream throws kavro::Error naming it,
// after every byte inflated before the damage was returned; a stream that
// inflates past what memory can hold is refused (InflateGuard).
// `memory_cap` off leaves only the ratio test: for a stream whose bytes are
// mostly passed over, not kept (a compressed tar, whose members are kept by
// their own guards).
std::unique_ptr<ByteSource> inflating_source(std::unique_ptr<ByteSource> raw, std::string head,
                                             Compression compression, std::string name,
                                             bool memory_cap = true);

// Stops a load whose inflated bytes would exhaust memory before they do: an
// archive bomb is a small file that inflates to more than the machine holds.
// A load is refused when its inflated bytes pass the inflate limit, or pass
// 64 MiB at more than a thousand inflated bytes to one read from disk, a
// ratio that text never reaches and deflate cannot (it stops near 1032).
class InflateGuard {
public:
    explicit InflateGuard(std::string name, bool memory_cap = true);
    // `inflated` bytes so far from `disk` bytes read; throws kavro::Error
    // naming the file when the load is to stop.
    void check(std::uint64_t inflated, std::uint64_t disk) {
        if (inflated > limit_ || (inflated > kRatioFloor && inflated / kRatio > disk))
            refuse(inflated);
    }
    // Refuses at once a member whose declared size passes the limit.
    void check_declared(std::uint64_t size) {
        if (size > limit_) refuse(size);
    }
    // Whether check() threw.
    bool refused() const { return refused_; }

private:
    static constexpr std::uint64_t kRatioFloor = std::uint64_t(64) << 20;
    static constexpr std::uint64_t kRatio = 1000;
    [[noreturn]] void refuse(std::uint64_t inflated);
    std::string name_;
    std::uint64_t limit_;
    bool refused_ = false;
};

// The most bytes one load may inflate: three quarters of the memory the
// system has available when it is asked, or what set_inflate_limit() set.
std::uint64_t inflate_limit();
// A fixed limit (tests and small machines); 0 returns to the memory rule.
void set_inflate_limit(std::uint64_t bytes);

} // namespace kavro
