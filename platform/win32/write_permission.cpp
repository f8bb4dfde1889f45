#include "platform/write_permission.h"

namespace kalvor::platform {

bool IsReadOnlyForUser(bool userMayWrite, bool /*anyWriteBit*/) {
    return !userMayWrite;
}

}  // namespace kalvor::platform
