#include "platform/memory_advice.h"

#include <sys/mman.h>

namespace kalvor::platform {

void AdviseHugePages([[maybe_unused]] void* start, [[maybe_unused]] std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
    madvise(start, bytes, MADV_HUGEPAGE);
#endif
}

}  // namespace kalvor::platform
