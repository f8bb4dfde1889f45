#include "platform/exclusive_file.h"

namespace kalvor::platform {

// The version is asked after the read: a writer changes the modification time before its bytes
// land and the size once they have, so a file unchanged after a read was unchanged during it.
std::size_t ExclusiveFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (changed_) {
        return 0;
    }
    const std::size_t done = ReadFromDisk(offset, out);
    const std::optional<FileVersion> now = CurrentVersion();
    if (now.has_value() && *now != version_) {
        changed_ = true;
        return 0;
    }
    return done;
}

}  // namespace kalvor::platform
