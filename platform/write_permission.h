#pragma once

namespace kalvor::platform {

// Whether a file counts as read-only for this process. `userMayWrite`: the system grants this
// user write access; `anyWriteBit`: the file has a write permission bit for anyone. Running as
// root on POSIX, only a file without any write bit counts, since root may write the others.
bool IsReadOnlyForUser(bool userMayWrite, bool anyWriteBit);

}  // namespace kalvor::platform
