#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/file_stamp.h"
#include "scan/file_time.h"
#include "tests/support/windows_files.h"

namespace kalvor::scan {
namespace {

// The suite runs at UTC+8 without daylight saving, for Windows and for its runtime alike: TZ=CST-8,
// which the runtime reads in its own syntax (a name such as Asia/Shanghai would make it UTC).
struct StampCase {
    std::int64_t utcSeconds;  // the stamp, in seconds since 1970 UTC
    std::int64_t value;
    std::string text;
};

TEST(FileTimeOnWindows, ConvertsStampsTheWayTheFileFinderDoes) {
    const std::vector<StampCase> cases = {
        {1246355102, 1246355102, "2009-06-30 17:45:02"},
        {1204679222, 1204679222, "2008-03-05 09:07:02"},
        {0, 0, "1970-01-01 08:00:00"},
        {-1, -1, ""},                                     // local 1970, before 08:00
        {-631152000, -1, ""},                             // local 1950
        {-2208988800 - 28800, -1, ""},                    // local 1900-01-01 00:00:00
        {-2208988800 - 28801, 0, "1970-01-01 08:00:00"},  // local 1899: before 1900
        {-11644473600, 0, "1970-01-01 08:00:00"},         // the zero stamp, 1601-01-01 UTC
        {32535215999 - 28800, 32535215999 - 28800, "3000-12-31 23:59:59"},
        {32535215999, -1, ""},  // local 3001
    };
    for (const StampCase& stamp : cases) {
        SCOPED_TRACE(stamp.utcSeconds);
        const std::int64_t value =
            platform::TimeValueOfFileTime(testing::FileTimeOfSeconds(stamp.utcSeconds));
        EXPECT_EQ(value, stamp.value);
        EXPECT_EQ(FormatFileTime(TimeValueFromStamp(value)), stamp.text);
    }
}

}  // namespace
}  // namespace kalvor::scan
