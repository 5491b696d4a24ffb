#pragma once

// Reads a text file line by line: lines end at a line feed, every carriage
// return is dropped (the one before a line feed and any other), a byte 26
// ends the file, a line of any length is read whole, and a final line break
// adds no empty line. Failures throw kavro::Error: "File not found" for a
// missing file, otherwise the system's own text.
//
// A file compressed with gzip, bzip2, xz or zstd is read inflated, by the
// same rules; it is known by its first bytes, whatever its name. A tar or
// zip archive is refused with a message: its lines are no text to load.

#include "core/byte_source.h"
#include "core/compression.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

class StringTable;

class LineReader {
public:
    explicit LineReader(const std::string& path);
    // Reads the bytes of `source` (an archive member, say), inflated when
    // they are compressed; `name` names it in messages.
    LineReader(std::unique_ptr<ByteSource> source, std::string name);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader();

    // The next line, valid until the following call; false at the end.
    bool next(std::string_view& line);

    // Appends every line not read yet as a row of `table` (column 0, as
    // StringTable::AppendLine does), reading the file's blocks straight into
    // the table's arena: one copy of each byte, no line copied on its own.
    // The lines follow the same rules as next(). Reports progress under
    // `what`; a failure part way leaves the lines read so far. Returns the
    // number of lines appended; next() then finds the end of the file. A
    // refused file (refused()) leaves the table as it found it.
    std::uint64_t append_to(StringTable& table, std::string_view what = {});

    // True when no line is left to read (an empty file, or one that a byte
    // 26 ends at once).
    bool at_end();

    // How far the reading has come and its end, in bytes on disk (of the
    // compressed file when it is one), for progress; the end is 0 for pipes
    // and special files.
    std::uint64_t bytes_consumed() const { return source_->progress_done(); }
    std::uint64_t file_size() const { return source_->progress_total(); }
    // The compression the content was found in.
    Compression compression() const { return compression_; }
    // True when the source stopped the reading because its bytes are no data
    // worth keeping (an archive bomb): a loader takes back what it appended.
    bool refused() const { return source_->refused(); }

private:
    void start(const std::string& name);
    void set_block();
    std::uint64_t append_all(StringTable& table, std::string_view what);
    bool fill();
    std::size_t read_some(char* to, std::size_t n);

    std::unique_ptr<ByteSource> source_;
    Compression compression_ = Compression::none;
    std::size_t block_ = 0; // size of the read buffer once next() needs one
    std::vector<char> buf_;
    std::size_t begin_ = 0; // first unread byte
    std::size_t end_ = 0;   // one past the last valid byte
    std::size_t scan_ = 0;  // bytes from begin_ already known to hold no line feed
    bool eof_ = false;
    bool peeked_text_ = false; // a plain file's first byte, seen by peek, starts a line
};

// Calls `on_line` for every line of the file, in order.
template <class F> void for_each_line(const std::string& path, F&& on_line) {
    LineReader reader(path);
    std::string_view line;
    while (reader.next(line)) on_line(line);
}

} // namespace kavro
