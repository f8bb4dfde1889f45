#pragma once

#include <fcntl.h>

namespace kalvor::platform {

// open(2) that leaves the file's access time as it was where the system lets us (we own the file,
// or may change any file's metadata), since an audit must not change what a later forensic look
// relies on; elsewhere the file is opened plainly, as reading it matters more than its stamp.
// A relative `path` is taken from the folder open as `folder`.
int OpenKeepingAccessTime(const char* path, int flags, int folder = AT_FDCWD);

}  // namespace kalvor::platform
