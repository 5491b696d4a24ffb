#pragma once

// kavro-cli osw ARCHIVE: "Open OSWatcher Archive..." without the dialog,
// the summary printed, then the analysis of every page that got files.

#include "app/form.h"

#include <ostream>
#include <string>

namespace kavro {

// Opens `archive` (a folder, a tar or zip file) onto the OSWatcher pages,
// writes the summary to `out` and presses each loaded page's analyse
// button. False when a step ended in an error (shown by the form's message
// box); the pages keep what was done before it.
bool run_osw_step(TForm1& form, const std::string& archive, std::ostream& out);

} // namespace kavro
