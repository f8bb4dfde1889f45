#pragma once

#include <sys/types.h>

namespace kalvor::platform {

// What other programs hold on a file, as the system lists every lock and lease it keeps.
struct ForeignHolds {
    bool lock = false;        // a lock of any kind: POSIX, open-file or flock
    bool writeLease = false;  // a write lease or delegation, which a mere open of ours would break
};

// Asked without opening the file and without a lock of ours, so that asking disturbs nobody. Only
// locks of processes this one can see are listed; none when the system keeps no list.
ForeignHolds HoldsOn(dev_t device, ino_t inode);

}  // namespace kalvor::platform
