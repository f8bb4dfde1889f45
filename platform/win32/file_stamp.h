#pragma once

#include <windows.h>

#include <cstdint>

namespace kalvor::platform {

// The time value of a file stamp the way the Windows file finder makes it: the UTC stamp shifted
// by the current time-zone offset and split into fields; 0 when either step fails or the local
// year lies before 1900; otherwise the fields turned back into seconds since 1970 by the runtime's
// 64-bit local-time conversion, which gives -1 outside 1970 to 3000 (a value no time cell shows).
std::int64_t TimeValueOfFileTime(const FILETIME& stamp);

}  // namespace kalvor::platform
