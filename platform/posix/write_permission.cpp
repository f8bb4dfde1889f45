#include "platform/write_permission.h"

#include <unistd.h>

namespace kalvor::platform {

bool IsReadOnlyForUser(bool userMayWrite, bool anyWriteBit) {
    // Writable whoever we are, the superuser too, when the system lets us write it and it has a
    // write bit: almost every document is answered without asking who we are.
    if (userMayWrite && anyWriteBit) {
        return false;
    }
    return geteuid() == 0 ? !anyWriteBit : !userMayWrite;
}

}  // namespace kalvor::platform
