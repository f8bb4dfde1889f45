#pragma once

#include <cstdint>
#include <ctime>

namespace kalvor::platform {

// `seconds` since 1970-01-01 00:00:00 UTC as local calendar fields. False when the runtime
// cannot convert it; on Windows that is everything before 1970 or after 3000.
bool ToLocalCalendar(std::int64_t seconds, std::tm& fields);

}  // namespace kalvor::platform
