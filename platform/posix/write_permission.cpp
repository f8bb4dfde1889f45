#include "platform/write_permission.h"

#include <unistd.h>

namespace kalvor::platform {

bool IsReadOnlyForUser(bool userMayWrite, bool anyWriteBit) {
    return geteuid() == 0 ? !anyWriteBit : !userMayWrite;
}

}  // namespace kalvor::platform
