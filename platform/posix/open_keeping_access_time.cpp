#include "platform/posix/open_keeping_access_time.h"

#include <fcntl.h>

#include <cerrno>

namespace kalvor::platform {

int OpenKeepingAccessTime(const char* path, int flags, int folder) {
    const int fd = openat(folder, path, flags | O_NOATIME);
    if (fd >= 0 || errno != EPERM) {
        return fd;
    }
    return openat(folder, path, flags);
}

}  // namespace kalvor::platform
