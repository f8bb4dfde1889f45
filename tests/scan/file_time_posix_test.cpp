#include <gtest/gtest.h>
#include <time.h>

#include <optional>
#include <string>
#include <vector>

#include "scan/file_time.h"

namespace kalvor::scan {
namespace {

// Local time in these tests is Asia/Shanghai: +08:00 today, +08:05:43 before 1901.
class FileTimeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "Asia/Shanghai", 1);
        tzset();
    }
};

TEST_F(FileTimeTest, StampsBeforeLocalYear1900AndMissingStampsBecomeZero) {
    const std::vector<std::pair<std::optional<std::int64_t>, TimeValue>> cases = {
        {std::nullopt, 0},
        {1204679222, 1204679222},
        {0, 0},
        {-1, -1},
        {-2209017943, -2209017943},  // 1900-01-01 00:00:00 local
        {-2209017944, 0},            // 1899-12-31 23:59:59 local
        {-5000000000, 0},
        {100'000'000'000'000'000, 100'000'000'000'000'000},
    };
    for (const auto& [stamp, value] : cases) {
        SCOPED_TRACE(stamp.value_or(-42));
        EXPECT_EQ(TimeValueFromStamp(stamp), value);
    }
}

TEST_F(FileTimeTest, FormatsLocalTimeOrNothing) {
    const std::vector<std::pair<TimeValue, std::string>> cases = {
        {0, "1970-01-01 08:00:00"},           {1204679222, "2008-03-05 09:07:02"},
        {1246355102, "2009-06-30 17:45:02"},  {-631152000, "1950-01-01 08:00:00"},
        {-2209017943, "1900-01-01 00:00:00"}, {32535215999, "3001-01-01 07:59:59"},
        {100'000'000'000'000'000, ""},
    };
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(FormatFileTime(value), text);
    }
}

TEST_F(FileTimeTest, AMissingCreationStampShowsTheLocalTimeOfZero) {
    EXPECT_EQ(FormatFileTime(TimeValueFromStamp(std::nullopt)), "1970-01-01 08:00:00");
    EXPECT_EQ(FormatFileTime(TimeValueFromStamp(-5000000000)), "1970-01-01 08:00:00");
}

}  // namespace
}  // namespace kalvor::scan
