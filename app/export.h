#pragma once

// Writes the form's state to files: every table as NAME.csv (RFC 4180, every
// row from 0 to RowCount-1 exactly as the table holds it) and the state of
// every other control, charts in full, as form.json.

#include "app/form.h"

#include <ostream>
#include <string>
#include <vector>

namespace kavro {

void write_table_csv(const StringTable& table, std::ostream& out);
std::string form_json(const TForm1& form);

// `names`: "all", "none", or table names and "form" separated by commas.
// Throws kavro::Error when a name is unknown or a file cannot be written.
void export_form(const TForm1& form, const std::string& names, const std::string& dir);

} // namespace kavro
