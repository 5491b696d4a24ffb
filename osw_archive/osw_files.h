#pragma once

// OSWatcher's file names: which command a file holds and when it starts.
// OSWatcher writes one file per hour and command, named
// <host>_<command>_<YY.MM.DD.HHMM>.dat (compressed: .dat.gz, .dat.bz2, ...),
// in the folders oswps, oswmpstat and oswnetstat of its archive.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

enum class OswKind { ps, mpstat, netstat };
constexpr OswKind kOswKinds[] = {OswKind::ps, OswKind::mpstat, OswKind::netstat};

// "ps", "mpstat", "netstat".
const char* osw_kind_name(OswKind kind);

// The command a file of an archive holds, by the folder it lies in
// (oswps, oswmpstat, oswnetstat: the nearest one wins) or else by its name
// (_ps_, _mpstat_, _netstat_); nothing for any other file. `path` is a
// path inside the archive, with / or \ between folders.
std::optional<OswKind> osw_kind_of(std::string_view path);

// The time in a file's name, YY.MM.DD.HHMM, as the number YYMMDDHHMM;
// nothing when the name holds no such time.
std::optional<std::uint64_t> osw_name_time(std::string_view path);

// OSWatcher's order of files: by the time in their names, then by name
// (byte by byte); a file without a time comes after those with one.
bool osw_order_less(std::string_view a, std::string_view b);
void sort_osw_order(std::vector<std::string>& paths);

// The file field of an OSWatcher page holds one name as it is, or several
// as "name" "name" ... (each in double quotes, as file dialogs write them).
std::vector<std::string> split_file_field(std::string_view text);
std::string join_file_field(const std::vector<std::string>& names);

} // namespace kavro
