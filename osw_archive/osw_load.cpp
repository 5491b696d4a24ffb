#include "osw_archive/osw_load.h"

#include "core/error.h"
#include "core/line_reader.h"
#include "core/string_table.h"
#include "core/text.h"
#include "osw_archive/archive_reader.h"

#include <algorithm>
#include <filesystem>

namespace kavro {

namespace {

// The rows one file's lines took in a raw table.
struct Block {
    std::string name;
    int first;
    int end;
};

// Appends the lines of one file after the table's, as the ps page's own
// load does: a file without lines changes nothing; otherwise the table
// first gets back the append slot that an analysis's trim takes, so that
// the new lines follow the old ones. The block the lines took is recorded,
// also when the load fails part way, so that its rows are put in order with
// the others.
void append_file(StringTable& raw, OswLoadInfo& info, LineReader& reader, const std::string& name,
                 const std::string& what, std::vector<Block>& blocks) {
    ++info.files;
    if (reader.at_end()) return;
    if (raw.RowCount() == 1 || !raw.Cell(0, raw.RowCount() - 1).empty())
        raw.SetRowCount(raw.RowCount() + 1);
    const int first = raw.RowCount() - 1;
    blocks.push_back({name, first, first});
    try {
        reader.append_to(raw, what);
    } catch (...) {
        blocks.back().end = raw.RowCount() - 1;
        if (blocks.back().end == first) blocks.pop_back();
        throw;
    }
    blocks.back().end = raw.RowCount() - 1;
    read_osw_header(raw, first, info.header);
}

// The first file of a page when an archive is opened: read apart first, so
// that a file refused outright (an archive bomb) leaves the page as it was.
// Once its lines are in, the page is cleared (before_first) and takes them.
void append_first_file(const OswPageLoad& page, LineReader& reader, const std::string& name,
                       const std::string& what, std::vector<Block>& blocks) {
    StringTable apart(1);
    OswLoadInfo info;
    std::vector<Block> own;
    std::exception_ptr failure;
    try {
        append_file(apart, info, reader, name, what, own);
    } catch (...) {
        if (reader.refused()) throw;
        failure = std::current_exception(); // damage: the lines before it count
    }
    if (page.before_first) page.before_first();
    StringTable& raw = *page.raw;
    ++page.info->files;
    if (!own.empty()) {
        if (raw.RowCount() == 1 || !raw.Cell(0, raw.RowCount() - 1).empty())
            raw.SetRowCount(raw.RowCount() + 1);
        const int first = raw.RowCount() - 1;
        for (int r = 1; r + 1 < apart.RowCount(); ++r) raw.AppendLine(apart.Cell(0, r));
        blocks.push_back({name, first, raw.RowCount() - 1});
        read_osw_header(raw, first, page.info->header);
    }
    if (failure) std::rethrow_exception(failure);
}

// Moves the blocks, which lie one after another in the order they were
// loaded, into OSWatcher's order of their names: the table then holds what
// loading the files one by one in that order would have given.
void put_in_osw_order(StringTable& raw, std::vector<Block>& blocks) {
    std::vector<Block> order = blocks;
    std::stable_sort(order.begin(), order.end(),
                     [](const Block& a, const Block& b) { return osw_order_less(a.name, b.name); });
    bool same = true;
    for (std::size_t i = 0; i < order.size() && same; ++i) same = order[i].first == blocks[i].first;
    if (same || blocks.empty()) return;
    const int base = blocks.front().first;
    const std::size_t n = static_cast<std::size_t>(blocks.back().end - base);
    // from[i]: the row (from base) whose line belongs at row base + i.
    std::vector<int> from;
    from.reserve(n);
    for (const Block& b : order)
        for (int r = b.first; r < b.end; ++r) from.push_back(r - base);
    // Each cycle of the permutation by swaps: the row at `at` takes its
    // line, and the line it held moves on to where the cycle goes next.
    std::vector<bool> placed(n, false);
    for (std::size_t i = 0; i < n; ++i) {
        if (placed[i]) continue;
        std::size_t at = i;
        while (static_cast<std::size_t>(from[at]) != i) {
            raw.SwapRows(base + static_cast<int>(at), base + from[at]);
            placed[at] = true;
            at = static_cast<std::size_t>(from[at]);
        }
        placed[at] = true;
    }
    // The blocks as they now lie.
    int row = base;
    for (Block& b : order) {
        const int size = b.end - b.first;
        b.first = row;
        b.end = row + size;
        row += size;
    }
    blocks = std::move(order);
}

bool is_snapshot(std::string_view line) {
    return line.substr(0, 3) == "zzz";
}

// The table's first and last snapshot times, looked for from each end.
void find_snapshots(const StringTable& raw, OswLoadInfo& info) {
    info.first_snapshot.clear();
    info.last_snapshot.clear();
    const int rows = raw.RowCount();
    for (int r = 1; r < rows; ++r)
        if (is_snapshot(raw.Cell(0, r))) {
            info.first_snapshot = snapshot_time(raw.Cell(0, r));
            break;
        }
    for (int r = rows - 1; r >= 1; --r)
        if (is_snapshot(raw.Cell(0, r))) {
            info.last_snapshot = snapshot_time(raw.Cell(0, r));
            break;
        }
}

// "No OSWatcher ps files in "X" (looked for the folder oswps and the names
// with _ps_)", naming every kind looked for.
std::string no_files_message(const std::vector<OswKind>& kinds, const std::string& path) {
    std::string names, folders, marks;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const std::string k = osw_kind_name(kinds[i]);
        const std::string sep = i == 0 ? "" : i + 1 == kinds.size() ? " or " : ", ";
        names += sep + k;
        folders += sep + "osw" + k;
        marks += sep + "_" + k + "_";
    }
    return "No OSWatcher " + names + " files in \"" + path + "\" (looked for the folder" +
           (kinds.size() > 1 ? "s " : " ") + folders + " and the names with " + marks + ")";
}

// The files of `reader` for the pages in `pages`, in one pass over it; each
// page's rows are put in OSWatcher's order at the end, also when a file
// fails part way. Returns the files found per page.
void load_members(ArchiveReader& reader, const std::vector<OswPageLoad>& pages,
                  OswArchiveSummary& summary) {
    std::vector<std::vector<Block>> blocks(pages.size());
    std::vector<bool> started(pages.size(), false);
    const auto finish = [&] {
        for (std::size_t p = 0; p < pages.size(); ++p) {
            if (!started[p]) continue;
            put_in_osw_order(*pages[p].raw, blocks[p]);
            find_snapshots(*pages[p].raw, *pages[p].info);
        }
    };
    try {
        while (reader.next()) {
            const auto kind = osw_kind_of(reader.name());
            if (!kind) {
                ++summary.others;
                continue;
            }
            const auto page = std::find_if(pages.begin(), pages.end(),
                                           [&](const OswPageLoad& p) { return p.kind == *kind; });
            if (page == pages.end()) continue;
            const std::size_t p = static_cast<std::size_t>(page - pages.begin());
            const std::string what = reader.path() + ": " + reader.name();
            LineReader lines(reader.open(), what);
            ++summary.pages[static_cast<int>(*kind)].files;
            if (started[p] || !page->before_first) {
                started[p] = true;
                append_file(*page->raw, *page->info, lines, reader.name(), what, blocks[p]);
            } else {
                try {
                    append_first_file(*page, lines, reader.name(), what, blocks[p]);
                } catch (...) {
                    // A damaged first file is in the page; a refused one
                    // left it alone.
                    started[p] = !lines.refused();
                    throw;
                }
                started[p] = true;
            }
        }
    } catch (...) {
        finish();
        summary.skipped = reader.skipped();
        throw;
    }
    finish();
    summary.skipped = reader.skipped();
    for (std::size_t p = 0; p < pages.size(); ++p) {
        OswArchiveSummary::Page& s = summary.pages[static_cast<int>(pages[p].kind)];
        s.first_snapshot = pages[p].info->first_snapshot;
        s.last_snapshot = pages[p].info->last_snapshot;
    }
}

} // namespace

std::string snapshot_time(std::string_view line) {
    if (line.substr(0, 3) == "zzz") line.remove_prefix(3);
    while (!line.empty() &&
           (line.front() == '*' || static_cast<unsigned char>(line.front()) <= ' '))
        line.remove_prefix(1);
    return std::string(Trim(line));
}

std::string OswLoadInfo::text() const {
    if (files == 0) return {};
    std::string t = std::to_string(files) + (files == 1 ? " file" : " files");
    if (first_snapshot.empty()) return t + " \u00b7 no snapshot line";
    if (first_snapshot == last_snapshot) return t + " \u00b7 one snapshot, " + first_snapshot;
    return t + " \u00b7 snapshots from " + first_snapshot + " to " + last_snapshot;
}

void load_osw_field(const std::string& field, const OswPageLoad& page) {
    OswArchiveSummary unused;
    for (const std::string& name : split_file_field(field)) {
        if (!is_archive(name)) {
            // One file as it is, whatever its name: the page's own load.
            LineReader reader(name);
            std::vector<Block> blocks;
            try {
                append_file(*page.raw, *page.info, reader, name, name, blocks);
            } catch (...) {
                find_snapshots(*page.raw, *page.info);
                throw;
            }
            find_snapshots(*page.raw, *page.info);
            continue;
        }
        ArchiveReader reader(name);
        const int before = unused.pages[static_cast<int>(page.kind)].files;
        load_members(reader, {page}, unused);
        if (unused.pages[static_cast<int>(page.kind)].files == before)
            throw Error(no_files_message({page.kind}, name));
    }
}

OswArchiveSummary load_osw_archive(const std::string& archive,
                                   const std::vector<OswPageLoad>& pages) {
    OswArchiveSummary summary;
    summary.archive = archive;
    ArchiveReader reader(archive);
    summary.description = reader.description();
    load_members(reader, pages, summary);
    int files = 0;
    for (const auto& p : summary.pages) files += p.files;
    if (files == 0) {
        std::vector<OswKind> kinds;
        for (const OswPageLoad& p : pages) kinds.push_back(p.kind);
        throw Error(no_files_message(kinds, archive));
    }
    return summary;
}

std::string OswArchiveSummary::text() const {
    std::string t = "Opened \"" + archive + "\" (" + description + ")";
    const char* pages_shown[] = {"OSW(ps)", "OSW(mpstat)", "OSW(netstat)"};
    for (int k = 0; k < 3; ++k) {
        const Page& p = pages[k];
        t += std::string("\n") + pages_shown[k] + ": ";
        if (p.files == 0) {
            t += "no files";
            continue;
        }
        t += std::to_string(p.files) + (p.files == 1 ? " file" : " files");
        if (p.first_snapshot.empty())
            t += ", no snapshot line";
        else if (p.first_snapshot == p.last_snapshot)
            t += ", one snapshot, " + p.first_snapshot;
        else
            t += ", snapshots from " + p.first_snapshot + " to " + p.last_snapshot;
    }
    if (others > 0)
        t += "\n" + std::to_string(others) +
             (others == 1 ? " other file was not loaded." : " other files were not loaded.");
    if (skipped > 0)
        t += "\n" + std::to_string(skipped) + (skipped == 1 ? " member was" : " members were") +
             " passed over: links, devices, or paths leading out of the archive.";
    return t;
}

} // namespace kavro
