#include "config/settings_page.h"

#include "core/line_reader.h"
#include "core/text.h"

namespace kavro {

void read_environment(const std::string& path, EnvironmentTargets& t) {
    t.connection_string.clear();
    LineReader reader(path);
    std::string section;
    std::string_view line;
    while (reader.next(line)) {
        if (Contains(line, "KAVRODB")) section.assign(TextAfter(line, "="));
        if (Contains(line, "METADATA")) {
            const std::string v(TextAfter(line, "="));
            t.settings.metaloc.text = v;
            t.settings.tracemeta.text = v + kDirSep + "Trace_Files";
            t.settings.oswmeta.text = v + kDirSep + "OSW_Files";
            t.dialog1.initial_dir = t.settings.oswmeta.text;
            t.dialog2.initial_dir = t.settings.tracemeta.text;
            t.sql_id_list.text = t.dialog2.initial_dir + kDirSep + "tracefile.trc";
            t.osw_filename.text = t.dialog1.initial_dir + kDirSep + "osw.txt";
            t.mpstat_filename.text = t.dialog1.initial_dir + kDirSep + "osw.txt";
            t.netstat_filename.text = t.dialog1.initial_dir + kDirSep + "osw.txt";
        }
        if (Contains(line, "[" + section + "]")) {
            // The connection lines run up to the first line holding "_END]";
            // a section cut off by the end of the file keeps what it read.
            std::string_view inner;
            while (reader.next(inner)) {
                if (Contains(inner, "_END]")) break;
                t.connection_string.append(inner);
            }
        }
    }
}

} // namespace kavro
