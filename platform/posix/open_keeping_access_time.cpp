#include "platform/posix/open_keeping_access_time.h"

#include <fcntl.h>

#include <cerrno>

namespace kalvor::platform {

int OpenKeepingAccessTime(const char* path, int flags) {
    const int fd = open(path, flags | O_NOATIME);
    if (fd >= 0 || errno != EPERM) {
        return fd;
    }
    return open(path, flags);
}

}  // namespace kalvor::platform
