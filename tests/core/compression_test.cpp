// Compressed files read through LineReader: the same lines as the plain
// file, known by content and not by name, and clear messages for damaged,
// cut-off and bomb streams, with the lines before the damage kept.
#include "core/compression.h"
#include "core/error.h"
#include "core/line_reader.h"
#include "core/progress.h"
#include "core/string_table.h"

#include "archives.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace kavro;
using kavro::testing::compress;
using kavro::testing::TempDir;

namespace {

using Lines = std::vector<std::string>;

constexpr Compression kAll[] = {Compression::gzip, Compression::bzip2, Compression::xz,
                                Compression::zstd};

Lines loaded(const std::string& path, std::string* error = nullptr) {
    StringTable table(1);
    try {
        LineReader reader(path);
        reader.append_to(table);
    } catch (const Error& e) {
        if (!error) throw;
        *error = e.what();
    }
    Lines out;
    for (int r = 1; r + 1 < table.RowCount(); ++r) out.emplace_back(table.Cell(0, r));
    return out;
}

Lines read_one_by_one(const std::string& path) {
    Lines out;
    for_each_line(path, [&](std::string_view l) { out.emplace_back(l); });
    return out;
}

// Snapshot-like text of about `bytes` bytes, varied enough not to shrink to
// nothing.
std::string text_of(std::size_t bytes) {
    std::string s;
    unsigned x = 12345;
    for (int line = 0; s.size() < bytes; ++line) {
        x = x * 1103515245u + 12345u;
        s += "oracle " + std::to_string(line) + " " + std::to_string(x % 10007) + " " +
             std::to_string((x >> 8) % 997) + ".0 ora_" + std::to_string(x % 13) + "\r\n";
        if (line % 50 == 0) s += "zzz ***Mon Jun 6 10:" + std::to_string(line % 60) + ":00\n";
    }
    return s;
}

} // namespace

TEST(CompressedFiles, ReadLikeThePlainFileWhateverTheirName) {
    TempDir dir;
    const std::string contents[] = {
        "",
        "a",
        "a\nb\n",
        "a\r\nb\r\nlast",
        std::string("a\nb\x1a"
                    "c\n"),
        "\n\n",
        text_of(3u << 20), // several input blocks of each decoder
    };
    for (const std::string& content : contents) {
        const Lines want = loaded(dir.file("plain", content));
        for (Compression c : kAll) {
            // Named as a plain trace file: the content decides.
            const std::string path = dir.file("trace.trc", compress(content, c));
            EXPECT_EQ(loaded(path), want) << compression_name(c) << ", " << content.size();
            EXPECT_EQ(read_one_by_one(path), want) << compression_name(c);
        }
    }
    // And a plain file named .gz is read as the text it is.
    EXPECT_EQ(loaded(dir.file("really.gz", "zzz ***\nline\n")), (Lines{"zzz ***", "line"}));
}

TEST(CompressedFiles, JoinedStreamsReadOneAfterTheOther) {
    TempDir dir;
    for (Compression c : kAll) {
        const std::string path =
            dir.file("joined", compress("one\ntwo", c) + compress("\nthree\n", c));
        EXPECT_EQ(loaded(path), (Lines{"one", "two", "three"})) << compression_name(c);
    }
}

TEST(CompressedFiles, CutShortOrDamagedNamesTheFileAndKeepsTheLinesBefore) {
    TempDir dir;
    const std::string content = text_of(2u << 20);
    const Lines all = loaded(dir.file("plain", content));
    for (Compression c : kAll) {
        const std::string packed = compress(content, c);
        struct Case {
            const char* what;
            std::string bytes;
            const char* message;
            bool whole; // the lines arrive before the damage is seen
        };
        // The last bytes of each format hold check sums (gzip's of the data,
        // bzip2's of the stream, xz's of its index, zstd's of the frame),
        // which a decoder tests after the data they cover.
        std::string flipped_check = packed;
        flipped_check[packed.size() - (c == Compression::gzip    ? 6
                                       : c == Compression::bzip2 ? 3
                                                                 : 2)] ^= 0x55;
        const Case cases[] = {
            {"cut in the middle", packed.substr(0, packed.size() / 2), "data is cut short", false},
            {"cut before the end", packed.substr(0, packed.size() - 3), "data is", false},
            {"check sum wrong", flipped_check, "data is damaged", true},
        };
        for (const Case& k : cases) {
            const std::string path = dir.file("osw_ps_16.06.06.1000.dat", k.bytes);
            std::string error;
            const Lines got = loaded(path, &error);
            const std::string label = std::string(compression_name(c)) + ", " + k.what;
            EXPECT_NE(error.find("\"" + path + "\""), std::string::npos) << label << ": " << error;
            EXPECT_NE(error.find(std::string("its ") + compression_name(c) + " " + k.message),
                      std::string::npos)
                << label << ": " << error;
            // What was read is the start of the file; only its last line may
            // be cut.
            // zstd holds back the last block of a frame whose check sum
            // fails (at most 128 kB, some 4,000 of these lines).
            if (k.whole && c != Compression::zstd) {
                EXPECT_EQ(got.size(), all.size()) << label;
            } else if (k.whole) {
                EXPECT_GT(got.size() + 4500, all.size()) << label;
            }
            ASSERT_LE(got.size(), all.size()) << label;
            for (std::size_t i = 0; i + 1 < got.size(); ++i)
                ASSERT_EQ(got[i], all[i]) << label << " line " << i;
        }
        // A stream cut in the middle still gives the lines before the cut.
        std::string error;
        EXPECT_GT(loaded(dir.file("cut", packed.substr(0, packed.size() / 2)), &error).size(),
                  all.size() / 4)
            << compression_name(c);
    }
}

TEST(CompressedFiles, NotWhatTheMagicBytesSay) {
    TempDir dir;
    // Begins as each format does, then is not one.
    const std::string fakes[] = {std::string("\x1f\x8b\x08", 3) + "this is not gzip data\n",
                                 std::string("BZh91AY&SY") + "no bzip2 here\n",
                                 std::string("\xfd"
                                             "7zXZ\0",
                                             6) +
                                     "nor xz\n",
                                 std::string("\x28\xb5\x2f\xfd") + "nor zstd\n",
                                 std::string("\x1f\x8b\x08", 3)};
    for (const std::string& fake : fakes) {
        const std::string path = dir.file("x.trc", fake);
        std::string error;
        loaded(path, &error);
        EXPECT_NE(error.find("\"" + path + "\": its "), std::string::npos) << error;
    }
}

TEST(CompressedFiles, ArchivesAreNoTextFile) {
    TempDir dir;
    using kavro::testing::Packing;
    const std::vector<kavro::testing::Member> members = {{"a.trc", "WAIT #1\n"}};
    struct Case {
        std::string bytes;
        const char* says;
    } cases[] = {
        {kavro::testing::pack(members, Packing::tar), "is a tar archive"},
        {compress(kavro::testing::pack(members, Packing::tar), Compression::gzip),
         "is a tar archive"},
        {kavro::testing::pack(members, Packing::zip), "is a zip archive"},
        {kavro::testing::pack({}, Packing::zip), "is a zip archive"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.file("t.trc", c.bytes);
        std::string error;
        EXPECT_TRUE(loaded(path, &error).empty());
        EXPECT_EQ(error, "\"" + path + "\" " + c.says + ", not a text file");
    }
}

TEST(CompressedFiles, ABombIsRefusedAndItsLinesTakenBack) {
    TempDir dir;
    struct Limit {
        explicit Limit(std::uint64_t n) { set_inflate_limit(n); }
        ~Limit() { set_inflate_limit(0); }
    };
    StringTable table(1);
    table.AppendLine("loaded before");
    {
        // Past the memory limit: text that would fit no machine.
        Limit limit(std::uint64_t(1) << 20);
        LineReader reader(dir.file("big.gz", compress(text_of(3u << 20), Compression::gzip)));
        try {
            reader.append_to(table);
            ADD_FAILURE() << "not refused";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("inflates to more than 1.0 MB"), std::string::npos)
                << e.what();
        }
        EXPECT_TRUE(reader.refused());
    }
    // Far past a thousand to one, long before the memory is gone.
    LineReader bomb(dir.file("bomb.gz", kavro::testing::gzip_of_zeros(std::uint64_t(80) << 20)));
    try {
        bomb.append_to(table);
        ADD_FAILURE() << "not refused";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("as an archive bomb does"), std::string::npos)
            << e.what();
    }
    EXPECT_TRUE(bomb.refused());
    ASSERT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.Cell(0, 1), "loaded before");
    EXPECT_EQ(table.Cell(0, 2), "");
}

TEST(CompressedFiles, TheLimitFollowsTheMemoryAvailable) {
    const std::uint64_t limit = inflate_limit();
    EXPECT_GT(limit, std::uint64_t(64) << 20);
    set_inflate_limit(12345);
    EXPECT_EQ(inflate_limit(), 12345u);
    set_inflate_limit(0);
    EXPECT_GT(inflate_limit(), std::uint64_t(64) << 20);
}

TEST(CompressedFiles, ProgressCountsTheFileOnDiskAndCancelKeepsTheLinesRead) {
    TempDir dir;
    const std::string packed = compress(text_of(6u << 20), Compression::gzip);
    const std::string path = dir.file("ps.dat.gz", packed);
    struct Sink : ProgressSink {
        std::vector<std::pair<std::uint64_t, std::uint64_t>> seen;
        std::size_t cancel_at = 0;
        void progress(std::uint64_t done, std::uint64_t total, std::string_view what) override {
            EXPECT_EQ(what, "ps.dat.gz");
            seen.emplace_back(done, total);
            if (seen.size() == cancel_at) throw Error("Cancelled by user");
        }
    };
    Sink all;
    {
        ProgressScope scope(&all);
        StringTable table(1);
        LineReader(path).append_to(table, "ps.dat.gz");
    }
    ASSERT_GE(all.seen.size(), 3u);
    for (std::size_t i = 0; i < all.seen.size(); ++i) {
        EXPECT_EQ(all.seen[i].second, packed.size());
        EXPECT_LE(all.seen[i].first, packed.size());
        if (i > 0) {
            EXPECT_GE(all.seen[i].first, all.seen[i - 1].first);
        }
    }

    Sink cancel;
    cancel.cancel_at = 2;
    StringTable table(1);
    try {
        ProgressScope scope(&cancel);
        LineReader(path).append_to(table, "ps.dat.gz");
        ADD_FAILURE() << "not cancelled";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Cancelled by user");
    }
    EXPECT_GT(table.RowCount(), 16384);
    EXPECT_EQ(table.Cell(0, 1), text_of(100).substr(0, text_of(100).find('\r')));
}
