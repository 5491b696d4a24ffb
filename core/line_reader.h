#pragma once

// Reads a text file line by line: lines end at a line feed, every carriage
// return is dropped (the one before a line feed and any other), a byte 26
// ends the file, a line of any length is read whole, and a final line break
// adds no empty line. Failures throw kavro::Error: "File not found" for a
// missing file, otherwise the system's own text.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

class StringTable;

class LineReader {
public:
    explicit LineReader(const std::string& path);
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
    // number of lines appended; next() then finds the end of the file.
    std::uint64_t append_to(StringTable& table, std::string_view what = {});

    std::uint64_t bytes_consumed() const { return consumed_; }
    // Size of the file when it was opened (0 for pipes and special files).
    std::uint64_t file_size() const { return size_; }

private:
    bool fill();
    std::size_t read_some(char* to, std::size_t n);

    int fd_ = -1;
    std::vector<char> buf_;
    std::size_t begin_ = 0; // first unread byte
    std::size_t end_ = 0;   // one past the last valid byte
    std::size_t scan_ = 0;  // bytes from begin_ already known to hold no line feed
    bool eof_ = false;
    std::uint64_t consumed_ = 0;
    std::uint64_t size_ = 0;
};

// Calls `on_line` for every line of the file, in order.
template <class F> void for_each_line(const std::string& path, F&& on_line) {
    LineReader reader(path);
    std::string_view line;
    while (reader.next(line)) on_line(line);
}

} // namespace kavro
