#include "scan/file_time.h"

#include <ctime>

#include "platform/local_time.h"

namespace kalvor::scan {

namespace {

constexpr int kTmYearOrigin = 1900;
constexpr int kFirstShownYear = 1900;

}  // namespace

TimeValue TimeValueFromStamp(std::optional<std::int64_t> stamp) {
    if (!stamp.has_value()) {
        return 0;
    }
    tm local{};
    // A stamp too far out to convert keeps its value, so its cell comes out empty rather than
    // showing a date it is not.
    if (platform::ToLocalCalendar(*stamp, local) &&
        local.tm_year + kTmYearOrigin < kFirstShownYear) {
        return 0;
    }
    return *stamp;
}

std::string FormatFileTime(TimeValue value) {
    tm local{};
    if (!platform::ToLocalCalendar(value, local)) {
        return {};
    }
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(text, length);
}

}  // namespace kalvor::scan
