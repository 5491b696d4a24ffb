// CPU texts and sort keys read as the general conversions read them: any
// difference would change a row, a point, a bar or a message.

#include "core/convert.h"
#include "core/error.h"
#include "core/text.h"
#include "osw_ps/ps.h"

#include <gtest/gtest.h>

#include <string>

using namespace kavro;

namespace {

// The reading before the fast path: whole numbers first, then reals.
bool general_cpu_value(std::string_view text, double& v) {
    int whole = 0;
    if (TryStrToInt(text, whole)) {
        v = whole;
        return true;
    }
    return TryStrToFloat(text, v);
}

} // namespace

TEST(PsNumbers, CpuValuesAndSortKeysReadAsTheGeneralConversionsReadThem) {
    const char* texts[] = {"0",
                           "5",
                           "0.0",
                           "0.5",
                           "12.3",
                           "99.9",
                           "100",
                           "7.",
                           ".5",
                           "00012",
                           "0.1",
                           "1.7",
                           "33.33",
                           "123456789012345",
                           "1234567890123456",
                           "2147483648",
                           "0.000000000000001",
                           " 5",
                           "5 ",
                           "-1.5",
                           "+2",
                           "1e3",
                           "0x1F",
                           "$10",
                           "1.2.3",
                           "",
                           ".",
                           "-",
                           "5%",
                           "12,5"};
    for (const char* t : texts) {
        double expected = 0;
        const bool converts = general_cpu_value(t, expected);
        double tried = 0;
        EXPECT_EQ(try_cpu_value(t, tried), converts) << t;
        if (!converts) {
            EXPECT_THROW(cpu_value(t), Error) << t;
            continue;
        }
        EXPECT_EQ(cpu_value(t), expected) << t;
        EXPECT_EQ(tried, expected) << t;
        EXPECT_EQ(NumberKey(t), NumberKey(std::string(" ") + t + "\t")) << t;
    }
}
