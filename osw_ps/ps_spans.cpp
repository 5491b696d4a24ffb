#include "osw_ps/ps_spans.h"

#include "core/convert.h"
#include "core/text.h"

namespace kavro {

SnapshotClock::SnapshotClock(std::string_view time) {
    const int p = Pos(":", time);
    const std::string_view parts[3] = {Copy(time, 1, p - 1), Copy(time, p + 1, 2),
                                       Copy(time, Length(time) - 1, 2)};
    int* values[3] = {&hours_, &minutes_, &seconds_};
    for (int i = 0; i < 3; ++i) {
        if (!TryStrToInt(parts[i], *values[i])) {
            not_integer_.assign(parts[i]);
            return;
        }
    }
    reading_ =
        TryEncodeTime(hours_, minutes_, seconds_, 0, day_) ? Reading::Day : Reading::OutOfRange;
}

double SnapshotClock::day() const {
    switch (reading_) {
    case Reading::Day:
        return day_;
    case Reading::NotInteger:
        throw_not_integer(not_integer_);
    case Reading::OutOfRange:
        break;
    }
    return EncodeTime(hours_, minutes_, seconds_, 0);
}

} // namespace kavro
