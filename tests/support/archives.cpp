#include "archives.h"

#include <archive.h>
#include <archive_entry.h>
#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <stdexcept>

namespace kavro::testing {

namespace {

std::string gzip_stream(std::string_view content) {
    z_stream z{};
    if (deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&z, static_cast<uLong>(content.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    z.avail_in = static_cast<uInt>(content.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

} // namespace

std::string compress(std::string_view content, Compression c) {
    switch (c) {
    case Compression::gzip:
        return gzip_stream(content);
    case Compression::bzip2: {
        unsigned int size = static_cast<unsigned int>(content.size() * 1.02 + 600);
        std::string out(size, '\0');
        if (BZ2_bzBuffToBuffCompress(out.data(), &size, const_cast<char*>(content.data()),
                                     static_cast<unsigned int>(content.size()), 1, 0, 0) != BZ_OK)
            throw std::runtime_error("bzip2");
        out.resize(size);
        return out;
    }
    case Compression::xz: {
        std::string out(lzma_stream_buffer_bound(content.size()), '\0');
        std::size_t pos = 0;
        if (lzma_easy_buffer_encode(1, LZMA_CHECK_CRC64, nullptr,
                                    reinterpret_cast<const uint8_t*>(content.data()),
                                    content.size(), reinterpret_cast<uint8_t*>(out.data()), &pos,
                                    out.size()) != LZMA_OK)
            throw std::runtime_error("xz");
        out.resize(pos);
        return out;
    }
    case Compression::zstd: {
        std::string out(ZSTD_compressBound(content.size()), '\0');
        // With its check sum, as the zstd program writes by default.
        ZSTD_CCtx* cctx = ZSTD_createCCtx();
        ZSTD_CCtx_setParameter(cctx, ZSTD_c_checksumFlag, 1);
        const std::size_t n =
            ZSTD_compress2(cctx, out.data(), out.size(), content.data(), content.size());
        ZSTD_freeCCtx(cctx);
        if (ZSTD_isError(n)) throw std::runtime_error("zstd");
        out.resize(n);
        return out;
    }
    case Compression::none:
        break;
    }
    return std::string(content);
}

std::string gzip_of_zeros(std::uint64_t n) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    const std::string zeros(std::size_t(1) << 20, '\0');
    std::string out;
    char buf[1 << 16];
    std::uint64_t left = n;
    int flush = Z_NO_FLUSH;
    do {
        const std::size_t now =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, zeros.size()));
        left -= now;
        flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
        z.avail_in = static_cast<uInt>(now);
        do {
            z.next_out = reinterpret_cast<Bytef*>(buf);
            z.avail_out = sizeof buf;
            deflate(&z, flush);
            out.append(buf, sizeof buf - z.avail_out);
        } while (z.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&z);
    return out;
}

std::string pack(const std::vector<Member>& members, Packing packing) {
    archive* a = archive_write_new();
    if (packing == Packing::tar) {
        archive_write_set_format_pax_restricted(a);
    } else {
        archive_write_set_format_zip(a);
    }
    std::string out;
    const auto on_write = [](archive*, void* self, const void* buf, size_t n) -> la_ssize_t {
        static_cast<std::string*>(self)->append(static_cast<const char*>(buf), n);
        return static_cast<la_ssize_t>(n);
    };
    archive_write_set_bytes_in_last_block(a, 1);
    archive_write_open(a, &out, nullptr, on_write, nullptr);
    for (const Member& m : members) {
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, m.path.c_str());
        archive_entry_set_filetype(e, m.folder ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(e, m.folder ? 0755 : 0644);
        archive_entry_set_size(e, m.folder ? 0 : static_cast<la_int64_t>(m.content.size()));
        archive_entry_set_mtime(e, 1465207200, 0);
        if (archive_write_header(a, e) != ARCHIVE_OK)
            throw std::runtime_error(archive_error_string(a));
        if (!m.folder && !m.content.empty())
            archive_write_data(a, m.content.data(), m.content.size());
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
    return out;
}

} // namespace kavro::testing
