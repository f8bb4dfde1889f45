#include "platform/write_bits.h"

#include <unistd.h>

namespace kalvor::platform {

std::optional<bool> ReadOnlyByWriteBits(bool anyWriteBit) {
    if (geteuid() != 0) {
        return std::nullopt;
    }
    return !anyWriteBit;
}

}  // namespace kalvor::platform
