#pragma once

#include "core/controls.h"

#include <string>

namespace kavro {

// Directory separator used to join the work folders with their tails.
#ifdef _WIN32
constexpr const char* kDirSep = "\\";
#else
constexpr const char* kDirSep = "/";
#endif

// The Settings page: the work folders of the environment file.
struct SettingsPage {
    Edit metaloc{"c:\\temp\\kavro_wip"};
    Edit tracemeta{"c:\\temp\\kavro_wip"};
    Edit oswmeta{"c:\\temp\\kavro_wip"};
};

// A file-open dialog's remembered state: only its start folder.
struct OpenDialog {
    std::string initial_dir;
};

// What reading db.ini writes: the Settings edits, both dialogs' start
// folders, the four file-name fields of the load pages and the connection
// string.
struct EnvironmentTargets {
    SettingsPage& settings;
    OpenDialog& dialog1; // OSWatcher files
    OpenDialog& dialog2; // trace files
    Edit& sql_id_list;
    Edit& osw_filename;
    Edit& mpstat_filename;
    Edit& netstat_filename;
    std::string& connection_string;
};

// Reads the environment file; throws kavro::Error on any failure, leaving
// what was set before the failure in place.
void read_environment(const std::string& path, EnvironmentTargets& targets);

} // namespace kavro
