#include "platform/posix/statx_description.h"

#include <sys/sysmacros.h>

namespace kalvor::platform {

FileIdentity IdentityFrom(const struct statx& data) {
    return {makedev(data.stx_dev_major, data.stx_dev_minor), data.stx_ino};
}

FileDescription DescriptionFrom(const struct statx& data) {
    const bool keepsCreation = (data.stx_mask & STATX_BTIME) != 0;
    return {.size = data.stx_size,
            .creationTime = keepsCreation ? std::optional(data.stx_btime.tv_sec) : std::nullopt,
            .lastWriteTime = data.stx_mtime.tv_sec};
}

}  // namespace kalvor::platform
