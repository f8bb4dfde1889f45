#include "scan/file_time.h"

#include <time.h>

#include <ctime>

namespace kalvor::scan {

namespace {

constexpr int kTmYearOrigin = 1900;
constexpr int kFirstShownYear = 1900;

}  // namespace

TimeValue TimeValueFromStamp(std::optional<std::int64_t> stamp) {
    if (!stamp.has_value()) {
        return 0;
    }
    const time_t seconds = static_cast<time_t>(*stamp);
    tm local{};
    // A stamp too far out to convert keeps its value, so its cell comes out empty rather than
    // showing a date it is not.
    if (localtime_r(&seconds, &local) != nullptr &&
        local.tm_year + kTmYearOrigin < kFirstShownYear) {
        return 0;
    }
    return *stamp;
}

std::string FormatFileTime(TimeValue value) {
    const time_t seconds = static_cast<time_t>(value);
    tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        return {};
    }
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(text, length);
}

}  // namespace kalvor::scan
