#include "platform/write_permission.h"

#include <unistd.h>

namespace kalvor::platform {

bool IsReadOnlyForUser(bool userMayWrite, bool anyWriteBit) {
    // A file both may write is writable to anyone, so almost every document is answered without
    // asking the system who we are.
    if (userMayWrite && anyWriteBit) {
        return false;
    }
    return geteuid() == 0 ? !anyWriteBit : !userMayWrite;
}

}  // namespace kalvor::platform
