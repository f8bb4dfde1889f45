#pragma once

namespace kalvor::platform {

// open(2) that leaves the file's access time as it was where the system lets us (we own the file,
// or may change any file's metadata), since an audit must not change what a later forensic look
// relies on; elsewhere the file is opened plainly, as reading it matters more than its stamp.
int OpenKeepingAccessTime(const char* path, int flags);

}  // namespace kalvor::platform
