#include "core/compression.h"

#include "core/error.h"

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace kavro {

namespace {

bool starts_with(std::string_view text, std::string_view mark) {
    return text.size() >= mark.size() && text.substr(0, mark.size()) == mark;
}

std::atomic<std::uint64_t> fixed_limit{0};

std::uint64_t available_memory() {
    // MemAvailable counts the page cache the kernel would give back, which
    // is what a load can take; the free pages alone would be far too few.
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t kb = 0;
    std::string unit;
    while (meminfo >> key >> kb >> unit)
        if (key == "MemAvailable:") return kb * 1024;
    const long pages = ::sysconf(_SC_AVPHYS_PAGES);
    const long page = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && page > 0) return static_cast<std::uint64_t>(pages) * page;
    return std::uint64_t(1) << 30;
}

std::string gigabytes(std::uint64_t bytes) {
    char text[32];
    if (bytes < 1000000000)
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    else
        std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / 1e9);
    return text;
}

// One step of a decompressor: input used, output made, whether a stream (a
// gzip member, an xz stream, a zstd frame) ended with it, and the library's
// reason when the data proved damaged. A step can make output and find the
// damage at once (a check sum is tested after the bytes it covers).
struct Step {
    std::size_t used = 0;
    std::size_t made = 0;
    bool end = false;
    const char* damage = nullptr;
};

// The four formats' own libraries, each streaming into the caller's buffer
// and checking the stream's own check sums, so a damaged stream is told
// apart from a good one and every byte before the damage is handed on.
class Decoder {
public:
    virtual ~Decoder() = default;
    virtual Step step(const char* in, std::size_t in_len, char* out, std::size_t out_len) = 0;
    // Ready for the next stream of a file holding several one after another.
    virtual void reset() = 0;
};

// zlib wants counts that fit its 32-bit fields.
unsigned int clamp32(std::size_t n) {
    return static_cast<unsigned int>(std::min<std::size_t>(n, 1u << 30));
}

class GzipDecoder : public Decoder {
public:
    GzipDecoder() {
        if (inflateInit2(&z_, 15 + 16) != Z_OK) throw std::bad_alloc();
    }
    ~GzipDecoder() override { inflateEnd(&z_); }
    Step step(const char* in, std::size_t in_len, char* out, std::size_t out_len) override {
        z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in));
        z_.avail_in = clamp32(in_len);
        z_.next_out = reinterpret_cast<Bytef*>(out);
        z_.avail_out = clamp32(out_len);
        const unsigned int avail_in = z_.avail_in, avail_out = z_.avail_out;
        const int r = inflate(&z_, Z_NO_FLUSH);
        if (r == Z_MEM_ERROR) throw std::bad_alloc();
        Step done{avail_in - z_.avail_in, avail_out - z_.avail_out, r == Z_STREAM_END};
        if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR)
            done.damage = z_.msg ? z_.msg : "not a valid stream";
        return done;
    }
    void reset() override { inflateReset(&z_); }

private:
    z_stream z_{};
};

class Bzip2Decoder : public Decoder {
public:
    Bzip2Decoder() { init(); }
    ~Bzip2Decoder() override { BZ2_bzDecompressEnd(&b_); }
    Step step(const char* in, std::size_t in_len, char* out, std::size_t out_len) override {
        b_.next_in = const_cast<char*>(in);
        b_.avail_in = clamp32(in_len);
        b_.next_out = out;
        b_.avail_out = clamp32(out_len);
        const unsigned int avail_in = b_.avail_in, avail_out = b_.avail_out;
        const int r = BZ2_bzDecompress(&b_);
        if (r == BZ_MEM_ERROR) throw std::bad_alloc();
        Step done{avail_in - b_.avail_in, avail_out - b_.avail_out, r == BZ_STREAM_END};
        if (r == BZ_DATA_ERROR)
            done.damage = "a block fails its check";
        else if (r != BZ_OK && r != BZ_STREAM_END)
            done.damage = "not a valid stream";
        return done;
    }
    void reset() override {
        BZ2_bzDecompressEnd(&b_);
        init();
    }

private:
    void init() {
        b_ = bz_stream{};
        if (BZ2_bzDecompressInit(&b_, 0, 0) != BZ_OK) throw std::bad_alloc();
    }
    bz_stream b_{};
};

class XzDecoder : public Decoder {
public:
    XzDecoder() { init(); }
    ~XzDecoder() override { lzma_end(&x_); }
    Step step(const char* in, std::size_t in_len, char* out, std::size_t out_len) override {
        x_.next_in = reinterpret_cast<const uint8_t*>(in);
        x_.avail_in = in_len;
        x_.next_out = reinterpret_cast<uint8_t*>(out);
        x_.avail_out = out_len;
        const lzma_ret r = lzma_code(&x_, LZMA_RUN);
        Step done{in_len - x_.avail_in, out_len - x_.avail_out, r == LZMA_STREAM_END};
        switch (r) {
        case LZMA_OK:
        case LZMA_STREAM_END:
        case LZMA_BUF_ERROR:
            break;
        case LZMA_MEM_ERROR:
            throw std::bad_alloc();
        case LZMA_MEMLIMIT_ERROR:
            done.damage = "it asks for more than 1 GB to inflate";
            break;
        case LZMA_DATA_ERROR:
            done.damage = "corrupt data";
            break;
        case LZMA_OPTIONS_ERROR:
            done.damage = "unsupported options";
            break;
        default:
            done.damage = "not a valid stream";
            break;
        }
        return done;
    }
    void reset() override {
        lzma_end(&x_);
        init();
    }

private:
    void init() {
        x_ = LZMA_STREAM_INIT;
        // A dictionary is the decoder's memory: a stream asking for more than
        // a gigabyte is no text file's.
        if (lzma_stream_decoder(&x_, std::uint64_t(1) << 30, 0) != LZMA_OK) throw std::bad_alloc();
    }
    lzma_stream x_ = LZMA_STREAM_INIT;
};

class ZstdDecoder : public Decoder {
public:
    ZstdDecoder() : d_(ZSTD_createDStream()) {
        if (!d_) throw std::bad_alloc();
    }
    ~ZstdDecoder() override { ZSTD_freeDStream(d_); }
    Step step(const char* in, std::size_t in_len, char* out, std::size_t out_len) override {
        // A block at a time: a frame whose check sum fails reports no output
        // of the call that found it, so the calls are kept to one block.
        ZSTD_inBuffer i{in, in_len, 0};
        ZSTD_outBuffer o{out, std::min<std::size_t>(out_len, ZSTD_BLOCKSIZE_MAX), 0};
        const std::size_t r = ZSTD_decompressStream(d_, &o, &i);
        // 0: a frame is decoded and flushed whole.
        Step done{i.pos, o.pos, r == 0};
        if (ZSTD_isError(r)) {
            done.end = false;
            done.damage = ZSTD_getErrorName(r);
        }
        return done;
    }
    void reset() override { ZSTD_DCtx_reset(d_, ZSTD_reset_session_only); }

private:
    ZSTD_DStream* d_;
};

std::unique_ptr<Decoder> decoder_for(Compression c) {
    switch (c) {
    case Compression::gzip:
        return std::make_unique<GzipDecoder>();
    case Compression::bzip2:
        return std::make_unique<Bzip2Decoder>();
    case Compression::xz:
        return std::make_unique<XzDecoder>();
    case Compression::zstd:
        return std::make_unique<ZstdDecoder>();
    case Compression::none:
        break;
    }
    throw std::logic_error("no decoder for plain data");
}

class InflatingSource : public ByteSource {
public:
    InflatingSource(std::unique_ptr<ByteSource> raw, std::string head, Compression compression,
                    std::string name, bool memory_cap)
        : raw_(std::move(raw)), compression_(compression), name_(std::move(name)),
          guard_(name_, memory_cap), decoder_(decoder_for(compression)) {
        disk_start_ =
            raw_->progress_done() - std::min<std::uint64_t>(raw_->progress_done(), head.size());
        in_.resize(std::max<std::size_t>(kInBlock, head.size()));
        std::memcpy(in_.data(), head.data(), head.size());
        in_end_ = head.size();
    }

    std::size_t read(char* to, std::size_t n) override {
        while (!ended_ && n > 0) {
            if (stream_ended_) {
                // Another stream may follow (gzip members joined by cat);
                // anything else after a stream's end is padding and is
                // ignored, as gzip -d does.
                if (!have(kMagicBytes) ||
                    compression_of(std::string_view(in_.data() + in_pos_, in_end_ - in_pos_)) !=
                        compression_) {
                    ended_ = true;
                    break;
                }
                decoder_->reset();
                stream_ended_ = false;
            }
            if (!damage_.empty()) fail("its " + format() + " data is damaged (" + damage_ + ")");
            if (in_pos_ == in_end_ && !have(1)) fail("its " + format() + " data is cut short");
            const Step s = decoder_->step(in_.data() + in_pos_, in_end_ - in_pos_, to, n);
            in_pos_ += s.used;
            stream_ended_ = s.end;
            // The bytes made before the damage go out first; the next read
            // reports it.
            if (s.damage) damage_ = s.damage;
            if (s.made > 0) {
                inflated_ += s.made;
                guard_.check(inflated_, raw_->progress_done() - disk_start_);
                return s.made;
            }
            // No output with input at hand and room for it: the decoder
            // waits for more input than the buffer holds.
            if (s.damage) continue;
            if (!s.end && s.used == 0 && !have(in_end_ - in_pos_ + 1))
                fail("its " + format() + " data is cut short");
        }
        return 0;
    }
    std::uint64_t progress_done() const override { return raw_->progress_done(); }
    std::uint64_t progress_total() const override { return raw_->progress_total(); }
    bool refused() const override { return guard_.refused() || raw_->refused(); }

private:
    static constexpr std::size_t kInBlock = std::size_t(256) << 10;
    static constexpr std::size_t kMagicBytes = 10;

    // Whether at least `n` unused input bytes are at hand, reading more
    // from the raw source while it has them. Unused bytes move to the front
    // first.
    bool have(std::size_t n) {
        while (in_end_ - in_pos_ < n && !raw_end_) {
            if (in_pos_ > 0) {
                std::memmove(in_.data(), in_.data() + in_pos_, in_end_ - in_pos_);
                in_end_ -= in_pos_;
                in_pos_ = 0;
            }
            if (in_end_ == in_.size()) in_.resize(in_.size() * 2);
            const std::size_t got = raw_->read(in_.data() + in_end_, in_.size() - in_end_);
            if (got == 0) raw_end_ = true;
            in_end_ += got;
        }
        return in_end_ - in_pos_ >= n;
    }
    std::string format() const { return compression_name(compression_); }
    [[noreturn]] void fail(const std::string& what) {
        ended_ = true;
        throw Error("\"" + name_ + "\": " + what);
    }

    std::unique_ptr<ByteSource> raw_;
    Compression compression_;
    std::string name_;
    InflateGuard guard_;
    std::unique_ptr<Decoder> decoder_;
    std::vector<char> in_;
    std::string damage_;
    std::size_t in_pos_ = 0;
    std::size_t in_end_ = 0;
    std::uint64_t disk_start_ = 0;
    std::uint64_t inflated_ = 0;
    bool raw_end_ = false;
    bool stream_ended_ = false;
    bool ended_ = false;
};

} // namespace

Compression compression_of(std::string_view head) {
    if (starts_with(head, "\x1f\x8b\x08")) return Compression::gzip;
    // "BZh", the block size digit, then the magic of a first block or of the
    // end of an empty stream.
    if (head.size() >= 10 && starts_with(head, "BZh") && head[3] >= '1' && head[3] <= '9' &&
        (head.substr(4, 6) == "\x31\x41\x59\x26\x53\x59" ||
         head.substr(4, 6) == "\x17\x72\x45\x38\x50\x90"))
        return Compression::bzip2;
    if (starts_with(head, std::string_view("\xfd"
                                           "7zXZ\0",
                                           6)))
        return Compression::xz;
    if (starts_with(head, "\x28\xb5\x2f\xfd")) return Compression::zstd;
    return Compression::none;
}

const char* compression_name(Compression c) {
    switch (c) {
    case Compression::gzip:
        return "gzip";
    case Compression::bzip2:
        return "bzip2";
    case Compression::xz:
        return "xz";
    case Compression::zstd:
        return "zstd";
    case Compression::none:
        break;
    }
    return "uncompressed";
}

Container container_of(std::string_view head) {
    if (starts_with(head, "PK\x03\x04") || starts_with(head, "PK\x05\x06") ||
        starts_with(head, "PK\x07\x08"))
        return Container::zip;
    // POSIX "ustar\0" and GNU "ustar  \0" at byte 257 of the first header.
    if (head.size() >= 263 && head.substr(257, 5) == "ustar" &&
        (head[262] == '\0' || head[262] == ' '))
        return Container::tar;
    return Container::none;
}

const char* container_name(Container c) {
    switch (c) {
    case Container::tar:
        return "tar";
    case Container::zip:
        return "zip";
    case Container::none:
        break;
    }
    return "plain";
}

std::unique_ptr<ByteSource> inflating_source(std::unique_ptr<ByteSource> raw, std::string head,
                                             Compression compression, std::string name,
                                             bool memory_cap) {
    return std::make_unique<InflatingSource>(std::move(raw), std::move(head), compression,
                                             std::move(name), memory_cap);
}

InflateGuard::InflateGuard(std::string name, bool memory_cap)
    : name_(std::move(name)), limit_(memory_cap ? inflate_limit() : UINT64_MAX) {}

void InflateGuard::refuse(std::uint64_t inflated) {
    refused_ = true;
    if (inflated > limit_)
        throw Error("\"" + name_ + "\" inflates to more than " + gigabytes(limit_) +
                    ", more than the free memory can hold: it was not loaded");
    throw Error("\"" + name_ +
                "\" inflates more than a thousand times over, as an archive bomb does: it was "
                "not loaded");
}

std::uint64_t inflate_limit() {
    if (const std::uint64_t fixed = fixed_limit.load()) return fixed;
    return available_memory() / 4 * 3;
}

void set_inflate_limit(std::uint64_t bytes) {
    fixed_limit.store(bytes);
}

} // namespace kavro
