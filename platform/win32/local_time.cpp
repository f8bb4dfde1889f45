#include "platform/local_time.h"

#include <time.h>

namespace kalvor::platform {

bool ToLocalCalendar(std::int64_t seconds, std::tm& fields) {
    const __time64_t value = seconds;
    return _localtime64_s(&fields, &value) == 0;
}

}  // namespace kalvor::platform
