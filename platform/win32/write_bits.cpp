#include "platform/write_bits.h"

namespace kalvor::platform {

std::optional<bool> ReadOnlyByWriteBits(bool /*anyWriteBit*/) {
    return std::nullopt;
}

}  // namespace kalvor::platform
