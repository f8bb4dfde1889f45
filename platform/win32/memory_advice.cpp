#include "platform/memory_advice.h"

namespace kalvor::platform {

// Windows gives large pages only to a process holding the lock-pages privilege, and only to
// memory allocated for them: advice on memory already had would change nothing.
void AdviseHugePages(void* /*start*/, std::size_t /*bytes*/) {}

}  // namespace kalvor::platform
