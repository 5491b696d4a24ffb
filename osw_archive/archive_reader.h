#pragma once

// The files of an archive as they come, each read straight from it: a
// folder (its files, in name order, read where they lie), a tar archive
// (plain, or compressed with gzip, bzip2, xz or zstd), a zip archive, or a
// single file, which is its own one member. Nothing is unpacked and nothing
// in the archive is changed. What the path holds is told by its content,
// whatever its name.

#include "core/byte_source.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct archive;

namespace kavro {

// Whether `path` is a folder, or a regular file holding a tar or zip archive
// (compressed or not); false for anything else, a missing path included.
bool is_archive(const std::string& path);

class ArchiveReader {
public:
    // Throws kavro::Error for a path that cannot be opened.
    explicit ArchiveReader(const std::string& path);
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;
    ~ArchiveReader();

    const std::string& path() const { return path_; }
    // "folder", "tar archive", "gzip-compressed tar archive", "zip archive",
    // "file".
    const std::string& description() const { return description_; }
    // A plain or compressed text file rather than a folder or archive.
    bool single_file() const { return single_; }

    // Moves to the next file of the archive; false after the last. Members
    // that are no file to read (folders, links, devices) and members whose
    // path leads out of the archive (an absolute path or one climbing with
    // "..") are passed over; those other than folders are counted in
    // skipped(). A damaged archive throws kavro::Error naming it.
    bool next();
    // The current member's path inside the archive, folders joined by "/".
    const std::string& name() const { return name_; }
    // The current member's bytes, as stored (a member may be compressed in
    // its own right); valid until next(). A member declaring more bytes
    // than memory can hold is refused here.
    std::unique_ptr<ByteSource> open();
    int skipped() const { return skipped_; }

    struct Feed; // what libarchive reads from

private:
    void open_folder();
    void open_file();
    [[noreturn]] void fail(const std::string& what);

    std::string path_;
    std::string description_;
    bool single_ = false;
    bool single_done_ = false;
    // A folder: its files, relative to it, sorted.
    std::vector<std::string> folder_files_;
    std::size_t folder_next_ = 0;
    // A tar or zip: libarchive's reader, fed from the file itself or, for a
    // compressed tar, from our own inflating source.
    struct archive* a_ = nullptr;
    std::unique_ptr<Feed> feed_;
    std::uint64_t file_size_ = 0;
    std::string name_;
    std::int64_t declared_ = -1;
    int skipped_ = 0;
};

} // namespace kavro
