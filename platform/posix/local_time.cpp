#include "platform/local_time.h"

#include <time.h>

namespace kalvor::platform {

bool ToLocalCalendar(std::int64_t seconds, std::tm& fields) {
    const time_t value = static_cast<time_t>(seconds);
    return localtime_r(&value, &fields) != nullptr;
}

}  // namespace kalvor::platform
