#include "platform/win32/file_stamp.h"

#include <time.h>

#include <ctime>

namespace kalvor::platform {

namespace {

constexpr int kTmYearOrigin = 1900;

}  // namespace

std::int64_t TimeValueOfFileTime(const FILETIME& stamp) {
    FILETIME local{};
    SYSTEMTIME fields{};
    if (!FileTimeToLocalFileTime(&stamp, &local) || !FileTimeToSystemTime(&local, &fields)) {
        return 0;
    }
    if (fields.wYear < kTmYearOrigin) {
        return 0;
    }
    std::tm calendar{};
    calendar.tm_year = fields.wYear - kTmYearOrigin;
    calendar.tm_mon = fields.wMonth - 1;
    calendar.tm_mday = fields.wDay;
    calendar.tm_hour = fields.wHour;
    calendar.tm_min = fields.wMinute;
    calendar.tm_sec = fields.wSecond;
    calendar.tm_isdst = -1;
    return _mktime64(&calendar);
}

}  // namespace kalvor::platform
