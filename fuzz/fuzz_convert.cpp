// The number conversions: any text converts or fails with its message, and
// a real number written as text reads back to within its 15 digits.
#include "core/convert.h"
#include "core/error.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    int i = 0;
    if (kavro::TryStrToInt(text, i)) {
        if (kavro::StrToInt(kavro::IntToStr(i)) != i) std::abort();
    }
    double v = 0;
    if (kavro::TryStrToFloat(text, v) && std::isfinite(v)) {
        double back = 0;
        if (!kavro::TryStrToFloat(kavro::FloatToStr(v), back)) std::abort();
        if (v != 0 && std::fabs(back - v) > std::fabs(v) * 1e-14) std::abort();
    }
    try {
        kavro::StrToFloat(text);
    } catch (const kavro::Error& e) {
        if (std::string_view(e.what()).size() > 203) std::abort();
    }
    return 0;
}
