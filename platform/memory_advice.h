#pragma once

#include <cstddef>

namespace kalvor::platform {

// Asks the system to back `bytes` of memory at `start` with huge pages where it can, so that
// touching a buffer of megabytes costs a fault per huge page rather than one per small page.
// Only advice: where the system has no such thing, nothing happens.
void AdviseHugePages(void* start, std::size_t bytes);

}  // namespace kalvor::platform
