#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kalvor::scan {

// Seconds since 1970-01-01 00:00:00 UTC, the value the time cells are formatted from.
using TimeValue = std::int64_t;

// The time value of a file stamp: 0 for a missing stamp (a file system that keeps no creation
// time) and for a stamp before local year 1900; otherwise the stamp itself.
TimeValue TimeValueFromStamp(std::optional<std::int64_t> stamp);

// "%Y-%m-%d %H:%M:%S" in local time; empty when the value cannot be converted.
std::string FormatFileTime(TimeValue value);

}  // namespace kalvor::scan
